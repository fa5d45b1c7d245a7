#include "platform/d3d9/shader/vertex_shader_interpreter.h"

#include <algorithm>
#include <stdexcept>

#include "platform/d3d9/shader/lane_executor.h"

namespace platform::d3d9::shader {

VertexShaderInterpreter::VertexShaderInterpreter(const DecodedShader& shader)
    : shader_(shader), program_(compileLanes(shader)) {
    if (shader.kind != ShaderKind::Vertex) throw std::invalid_argument("not a vertex shader");
    setConstants({});
}

void VertexShaderInterpreter::setConstants(std::span<const Float4> constants) {
    // The file reaches past the registers a shader names directly only as far as the caller's
    // registers do; relative reads beyond it read 0 like unset registers.
    const uint32_t given =
        static_cast<uint32_t>(std::min<size_t>(constants.size(), kSoftwareVertexConstantRegisters));
    constants_ =
        mergeConstants(shader_, constants.data(), given, std::max(given, kVertexConstantRegisters));
    broadcastConstants_ = broadcastConstants(program_, constants_);
}

void VertexShaderInterpreter::run(VertexLanes& lanes, uint32_t laneCount) const {
    laneCount = std::min(laneCount, kLanes);
    LaneRegisterFiles files;
    files.inputs = lanes.inputs;
    files.constants = constants_.data();
    files.broadcastConstants = broadcastConstants_.data();
    files.constantCount = static_cast<uint32_t>(constants_.size());
    files.position = &lanes.position;
    files.fog = &lanes.fog;
    files.colours = lanes.colours;
    files.texcoords = lanes.texcoords;
    resetLaneRegisters(program_, files);
    executeLanes(program_, files, laneCount);
}

}  // namespace platform::d3d9::shader

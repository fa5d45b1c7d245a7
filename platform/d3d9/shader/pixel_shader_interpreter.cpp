#include "platform/d3d9/shader/pixel_shader_interpreter.h"

#include <algorithm>
#include <stdexcept>

#include "platform/d3d9/shader/lane_executor.h"

namespace platform::d3d9::shader {

PixelShaderInterpreter::PixelShaderInterpreter(const DecodedShader& shader)
    : shader_(shader), program_(compileLanes(shader)) {
    if (shader.kind != ShaderKind::Pixel) throw std::invalid_argument("not a pixel shader");
    setConstants({});
}

void PixelShaderInterpreter::setConstants(std::span<const Float4> constants) {
    constants_ = mergeConstants(
        shader_, constants.data(),
        static_cast<uint32_t>(std::min<size_t>(constants.size(), kPixelConstantRegisters)),
        kPixelConstantRegisters);
    broadcastConstants_ = broadcastConstants(program_, constants_);
}

void PixelShaderInterpreter::run(PixelLanes& lanes, uint32_t laneCount,
                                 ShaderSampler& sampler) const {
    laneCount = std::min(laneCount, kLanes);
    LaneRegisterFiles files;
    files.inputs = lanes.colours;
    files.textures = lanes.texcoords;
    files.constants = constants_.data();
    files.broadcastConstants = broadcastConstants_.data();
    files.constantCount = kPixelConstantRegisters;
    files.colours = &lanes.colour;
    files.sampler = &sampler;
    resetLaneRegisters(program_, files);
    executeLanes(program_, files, laneCount);
}

}  // namespace platform::d3d9::shader

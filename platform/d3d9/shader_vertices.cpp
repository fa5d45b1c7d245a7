#include "platform/d3d9/shader_vertices.h"

#include <algorithm>
#include <memory>

namespace platform::d3d9 {
namespace {

using shader::kLanes;
using shader::LaneVector;

void readLane(const LaneVector& v, std::uint32_t lane, float out[4]) {
    for (int c = 0; c < 4; ++c) out[c] = v.c[c][lane];
}

}  // namespace

ShaderVertexProcessor::ShaderVertexProcessor(const shader::DecodedShader& shader,
                                             std::span<const shader::Float4> constants,
                                             const FvfLayout& layout)
    : shader_(shader), interpreter_(shader), layout_(layout) {
    interpreter_.setConstants(constants);
}

void ShaderVertexProcessor::process(const std::uint8_t* const vertices[], std::size_t count,
                                    ShadedVertex out[]) {
    const auto lanes = std::make_unique<shader::VertexLanes>();
    const std::uint32_t written = shader_.writtenOutputs;
    for (std::size_t first = 0; first < count; first += kLanes) {
        const std::uint32_t live =
            static_cast<std::uint32_t>(std::min<std::size_t>(kLanes, count - first));
        for (const shader::InputDeclaration& input : shader_.inputs) {
            if (input.type != shader::RegisterType::Input) continue;
            LaneVector& reg = lanes->inputs[input.index];
            for (std::uint32_t lane = 0; lane < live; ++lane) {
                float value[4];
                fetchShaderInput(vertices[first + lane], layout_, input.usage, input.usageIndex,
                                 value);
                for (int c = 0; c < 4; ++c) reg.c[c][lane] = value[c];
            }
        }
        interpreter_.run(*lanes, live);
        for (std::uint32_t lane = 0; lane < live; ++lane) {
            ShadedVertex& v = out[first + lane];
            readLane(lanes->position, lane, v.position);
            for (int k = 0; k < 2; ++k) {
                if (written & (shader::kOutputColour0 << k)) {
                    readLane(lanes->colours[k], lane, v.colour[k]);
                    for (float& c : v.colour[k])
                        c = std::clamp(c, 0.0f, 1.0f);  // NaN stays, becomes 0 later
                } else {
                    const float fallback = k == 0 ? 1.0f : 0.0f;
                    v.colour[k][0] = v.colour[k][1] = v.colour[k][2] = fallback;
                    v.colour[k][3] = 1.0f;
                }
            }
            v.fog = (written & shader::kOutputFog) ? lanes->fog.c[0][lane] : 1.0f;
            for (int t = 0; t < kTexCoordSets; ++t) {
                if (written & (shader::kOutputTexcoord0 << t)) {
                    readLane(lanes->texcoords[t], lane, v.tex[t]);
                } else {
                    v.tex[t][0] = v.tex[t][1] = v.tex[t][2] = 0.0f;
                    v.tex[t][3] = 1.0f;
                }
            }
        }
    }
}

}  // namespace platform::d3d9

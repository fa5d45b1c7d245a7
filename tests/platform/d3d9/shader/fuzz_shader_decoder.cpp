// Feeds arbitrary bytes to the shader token decoder as little-endian tokens. Whatever it
// accepts must run: the interpreter executes one batch of the decoded shader, which must stay
// inside its register files.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/d3d9/shader/pixel_shader_interpreter.h"
#include "platform/d3d9/shader/shader_decoder.h"
#include "platform/d3d9/shader/vertex_shader_interpreter.h"

using namespace platform::d3d9::shader;

namespace {

class WhiteSampler final : public ShaderSampler {
public:
    void sample(uint32_t, const LaneVector&, uint32_t laneCount, LaneVector& texels) override {
        for (uint32_t k = 0; k < 4; ++k)
            for (uint32_t l = 0; l < laneCount; ++l) texels.c[k][l] = 1.0f;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint32_t> tokens(size / 4);
    if (!tokens.empty()) std::memcpy(tokens.data(), data, tokens.size() * 4);
    const DecodeResult result = decodeShader(tokens);
    if (!result.shader) return 0;
    const DecodedShader& shader = *result.shader;
    if (shader.kind == ShaderKind::Vertex) {
        VertexShaderInterpreter interpreter(shader);
        auto lanes = std::make_unique<VertexLanes>();
        std::memset(lanes.get(), 0, sizeof(VertexLanes));
        interpreter.run(*lanes, kLanes);
    } else {
        PixelShaderInterpreter interpreter(shader);
        auto lanes = std::make_unique<PixelLanes>();
        std::memset(lanes.get(), 0, sizeof(PixelLanes));
        WhiteSampler sampler;
        interpreter.run(*lanes, kLanes, sampler);
    }
    return 0;
}

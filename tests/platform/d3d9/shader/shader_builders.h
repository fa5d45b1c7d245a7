#pragma once
// Test helpers: shaders written as assembly text, decoded the way the device will decode them,
// and run over one batch.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/shader/pixel_shader_interpreter.h"
#include "platform/d3d9/shader/shader_decoder.h"
#include "platform/d3d9/shader/vertex_shader_interpreter.h"
#include "tools/shasm/shader_assembler.h"

namespace tessera::test {

using namespace platform::d3d9::shader;

inline std::vector<uint32_t> assembled(const std::string& text) {
    const tools::shasm::AssembleResult result = tools::shasm::assembleShader(text);
    EXPECT_EQ(result.error, "") << text;
    return result.tokens;
}

inline DecodedShader decoded(const std::string& text) {
    const DecodeResult result = decodeShader(assembled(text));
    EXPECT_TRUE(result.shader.has_value()) << result.error;
    return result.shader.value_or(DecodedShader{});
}

// Lanes on the heap (a VertexLanes is 8 KB), zeroed.
template <typename Lanes>
std::unique_ptr<Lanes> zeroedLanes() {
    auto lanes = std::make_unique<Lanes>();
    std::memset(lanes.get(), 0, sizeof(Lanes));
    return lanes;
}

inline void setLane(LaneVector& vector, uint32_t lane, Float4 value) {
    for (uint32_t k = 0; k < 4; ++k) vector.c[k][lane] = value[k];
}

inline Float4 lane(const LaneVector& vector, uint32_t lane) {
    return {vector.c[0][lane], vector.c[1][lane], vector.c[2][lane], vector.c[3][lane]};
}

// A sampler that returns its coordinates as the colour, so tests can see what texld asked.
class EchoSampler final : public ShaderSampler {
public:
    void sample(uint32_t sampler, const LaneVector& coordinates, uint32_t laneCount,
                LaneVector& texels) override {
        samplers.push_back(sampler);
        for (uint32_t k = 0; k < 4; ++k)
            for (uint32_t l = 0; l < laneCount; ++l)
                texels.c[k][l] = coordinates.c[k][l] + float(sampler);
    }
    std::vector<uint32_t> samplers;
};

}  // namespace tessera::test

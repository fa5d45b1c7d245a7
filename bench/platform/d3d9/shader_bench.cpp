// Speed of the shader interpreters on the shaders the renderer and the post effects run: the
// pixel interpreter on a down-sample, a blur tap pass and a full-screen composite (with a
// sampler that does next to nothing, so the figures are the interpreter's own), and the vertex
// interpreter on 4-bone skinning. Figures are per pixel or per vertex.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/d3d9/shader/pixel_shader_interpreter.h"
#include "platform/d3d9/shader/shader_decoder.h"
#include "platform/d3d9/shader/vertex_shader_interpreter.h"
#include "tools/d3d9shot/skinning_shader.h"
#include "tools/shasm/shader_assembler.h"

using namespace platform::d3d9::shader;

namespace {

DecodedShader decoded(const std::string& text) {
    const tools::shasm::AssembleResult assembled = tools::shasm::assembleShader(text);
    if (!assembled.error.empty()) throw std::runtime_error(assembled.error);
    DecodeResult result = decodeShader(assembled.tokens);
    if (!result.shader) throw std::runtime_error(result.error);
    return std::move(*result.shader);
}

// Returns the coordinates as the texel: the cheapest sampler that still reads what it is given.
class EchoSampler final : public ShaderSampler {
public:
    void sample(uint32_t, const LaneVector& coordinates, uint32_t laneCount,
                LaneVector& texels) override {
        for (uint32_t k = 0; k < 4; ++k)
            std::memcpy(texels.c[k], coordinates.c[k], laneCount * sizeof(float));
    }
};

// 4x down-sample: four bilinear taps around the centre of each 4x4 block.
const char* const kDownSample = R"(
    ps_2_0
    dcl t0.xy
    dcl_2d s0
    add r0, t0, c0
    add r1, t0, c1
    add r2, t0, c2
    add r3, t0, c3
    texld r0, r0, s0
    texld r1, r1, s0
    texld r2, r2, s0
    texld r3, r3, s0
    add r0, r0, r1
    add r0, r0, r2
    add r0, r0, r3
    mul oC0, r0, c4.x
)";

// One direction of an 8-tap blur: offsets in c0..c7, weights in c8 and c9.
std::string blurText() {
    std::string text = "ps_2_0\ndcl t0.xy\ndcl_2d s0\n";
    for (int tap = 0; tap < 8; ++tap) {
        const std::string n = std::to_string(tap);
        text += "add r" + n + ", t0, c" + n + "\ntexld r" + n + ", r" + n + ", s0\n";
    }
    text += "mul r8, r0, c8.x\nmad r8, r1, c8.y, r8\nmad r8, r2, c8.z, r8\nmad r8, r3, c8.w, r8\n";
    text += "mad r8, r4, c9.x, r8\nmad r8, r5, c9.y, r8\nmad r8, r6, c9.z, r8\n";
    text += "mad r8, r7, c9.w, r8\nmov oC0, r8\n";
    return text;
}

// Full-screen composite of the scene and its blurred copy: 7 instructions, 2 texld.
const char* const kComposite = R"(
    ps_2_0
    dcl t0.xy
    dcl t1.xy
    dcl_2d s0
    dcl_2d s1
    texld r0, t0, s0
    texld r1, t1, s1
    sub r2, r1, c0.x
    max r2, r2, c1
    mad r2, r2, c0.y, r0
    mul_sat r2.xyz, r2, c2
    mov oC0, r2
)";

// A rate counter inverted: the time per lane.
benchmark::Counter nanosecondsPerLane(const benchmark::State& state) {
    return benchmark::Counter(double(state.iterations()) * kLanes,
                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<Float4> patternConstants(uint32_t count) {
    std::vector<Float4> constants(count);
    for (uint32_t i = 0; i < count; ++i)
        constants[i] = {0.01f * float(i), 0.5f - 0.02f * float(i), 0.25f, 1.0f / float(i + 1)};
    return constants;
}

void runPixelShader(benchmark::State& state, const std::string& text) {
    const DecodedShader shader = decoded(text);
    PixelShaderInterpreter interpreter(shader);
    interpreter.setConstants(patternConstants(kPixelConstantRegisters));
    auto lanes = std::make_unique<PixelLanes>();
    std::memset(lanes.get(), 0, sizeof(PixelLanes));
    for (uint32_t t = 0; t < 2; ++t)
        for (uint32_t l = 0; l < kLanes; ++l) {
            lanes->texcoords[t].c[0][l] = float(l) / 1280.0f;
            lanes->texcoords[t].c[1][l] = 0.5f + float(t) / 960.0f;
        }
    EchoSampler sampler;
    for (auto _ : state) {
        interpreter.run(*lanes, kLanes, sampler);
        benchmark::DoNotOptimize(lanes->colour);
    }
    state.counters["per_pixel"] = nanosecondsPerLane(state);
}

void downSample(benchmark::State& state) { runPixelShader(state, kDownSample); }

void blurPass(benchmark::State& state) { runPixelShader(state, blurText()); }

void composite(benchmark::State& state) { runPixelShader(state, kComposite); }

void skinning(benchmark::State& state) {
    const DecodedShader shader = decoded(d3d9shot::kSkinningShader);
    VertexShaderInterpreter interpreter(shader);
    std::vector<Float4> constants = patternConstants(8 + 3 * 64);
    constants[0] = {1, -0.01f, 1.5f, 765.01f};
    interpreter.setConstants(constants);
    auto lanes = std::make_unique<VertexLanes>();
    std::memset(lanes.get(), 0, sizeof(VertexLanes));
    for (uint32_t l = 0; l < kLanes; ++l) {
        const float t = float(l);
        const float in[5][4] = {{std::sin(t), std::cos(t), t * 0.1f, 1},
                                {0.4f, 0.3f, 0.2f, 0.1f},
                                {float(l % 7) / 255.0f, float(l % 11) / 255.0f,
                                 float(l % 5) / 255.0f, float(l % 3) / 255.0f},
                                {0, 1, 0, 0},
                                {t / 16.0f, 0.5f, 0, 0}};
        for (uint32_t r = 0; r < 5; ++r)
            for (uint32_t k = 0; k < 4; ++k) lanes->inputs[r].c[k][l] = in[r][k];
    }
    for (auto _ : state) {
        interpreter.run(*lanes, kLanes);
        benchmark::DoNotOptimize(lanes->position);
    }
    state.counters["per_vertex"] = nanosecondsPerLane(state);
}

}  // namespace

BENCHMARK(downSample);
BENCHMARK(blurPass);
BENCHMARK(composite);
BENCHMARK(skinning);

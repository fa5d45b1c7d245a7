// Operand handling (swizzles, negation, masks, _sat, relative addressing), constants, outputs
// and batches of the vertex and pixel shader interpreters.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "shader_builders.h"

namespace tessera::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(ShaderInterpreter, SwizzlesNegationAndWriteMasks) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        mov oT0, v0.wzyx
        mov oT1, -v0.y
        mov oT2.yw, -v0
        mov r0, c0
        mov r0.xz, v0.zzxx
        mov oT3, r0
        mov oT4, v0.xy
        mov oT5.xz, c1.wyzx
    )");
    VertexShaderInterpreter interpreter(shader);
    const Float4 constants[] = {{10, 20, 30, 40}, {5, 6, 7, 8}};
    interpreter.setConstants(constants);
    auto lanes = zeroedLanes<VertexLanes>();
    setLane(lanes->inputs[0], 0, {1, 2, 3, 4});
    interpreter.run(*lanes, 1);
    EXPECT_EQ(lane(lanes->texcoords[0], 0), (Float4{4, 3, 2, 1}));
    EXPECT_EQ(lane(lanes->texcoords[1], 0), (Float4{-2, -2, -2, -2}));
    EXPECT_EQ(lane(lanes->texcoords[2], 0),
              (Float4{0, -2, 0, -4}));  // unwritten: (0, 0, 0, 1) except .w
    EXPECT_EQ(lane(lanes->texcoords[3], 0), (Float4{3, 20, 1, 40}));
    EXPECT_EQ(lane(lanes->texcoords[4], 0),
              (Float4{1, 2, 2, 2}));  // short swizzles repeat the last letter
    EXPECT_EQ(lane(lanes->texcoords[5], 0), (Float4{8, 0, 7, 1}));
}

TEST(ShaderInterpreter, SaturateClampsToZeroOneAndNaNToZero) {
    const DecodedShader shader = decoded("ps_2_0\ndcl t0\nmov_sat oC0, t0\n");
    PixelShaderInterpreter interpreter(shader);
    auto lanes = zeroedLanes<PixelLanes>();
    setLane(lanes->texcoords[0], 0, {-1, 0.5f, 2, kNaN});
    setLane(lanes->texcoords[0], 1, {-0.0f, 1, 1e30f, -1e30f});
    EchoSampler sampler;
    interpreter.run(*lanes, 2, sampler);
    EXPECT_EQ(lane(lanes->colour, 0), (Float4{0, 0.5f, 1, 0}));
    EXPECT_EQ(lane(lanes->colour, 1), (Float4{0, 1, 1, 0}));
}

TEST(ShaderInterpreter, RelativeConstantReadsOutOfRangeGiveZero) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        mova a0.xy, v0
        mov oT0, c[a0.x]
        mov oT1, c[a0.y + 250].yxzw
        m4x4 oT2, c255, c[a0.x + 252]
    )");
    VertexShaderInterpreter interpreter(shader);
    std::vector<Float4> constants(256);
    for (uint32_t i = 0; i < 256; ++i) constants[i] = {float(i), float(i) + 0.5f, 1, 1};
    interpreter.setConstants(constants);
    auto lanes = zeroedLanes<VertexLanes>();
    const Float4 addresses[] = {
        {3, 5, 0, 0},       {-1, 6, 0, 0},         {255, -251, 0, 0},        {256, -250, 0, 0},
        {kNaN, kNaN, 0, 0}, {1e30f, -1e30f, 0, 0}, {2147483648.0f, 0, 0, 0}, {0, 0, 0, 0},
    };
    for (uint32_t l = 0; l < 8; ++l) setLane(lanes->inputs[0], l, addresses[l]);
    interpreter.run(*lanes, 8);
    const auto constant = [&](int index) {
        return index >= 0 && index < 256 ? constants[index] : Float4{};
    };
    for (uint32_t l = 0; l < 8; ++l) {
        const int x = std::isfinite(addresses[l][0]) && std::fabs(addresses[l][0]) < 1e6f
                          ? int(addresses[l][0])
                          : 1 << 20;
        const int y = std::isfinite(addresses[l][1]) && std::fabs(addresses[l][1]) < 1e6f
                          ? int(addresses[l][1])
                          : 1 << 20;
        EXPECT_EQ(lane(lanes->texcoords[0], l), constant(x)) << l;
        const Float4 row = constant(y + 250);
        EXPECT_EQ(lane(lanes->texcoords[1], l), (Float4{row[1], row[0], row[2], row[3]})) << l;
        Float4 product;
        for (int r = 0; r < 4; ++r) {
            const Float4 m = constant(x + 252 + r);
            const Float4& v = constants[255];
            product[r] = v[0] * m[0] + v[1] * m[1] + v[2] * m[2] + v[3] * m[3];
        }
        EXPECT_EQ(lane(lanes->texcoords[2], l), product) << l;
    }
}

TEST(ShaderInterpreter, DefinitionsTakePrecedenceOverDeviceConstants) {
    const DecodedShader shader =
        decoded("vs_2_0\ndef c1, 7, 8, 9, 10\nmov oT0, c0\nmov oT1, c1\nmov oT2, c255\n");
    VertexShaderInterpreter interpreter(shader);
    auto lanes = zeroedLanes<VertexLanes>();
    interpreter.run(*lanes, 1);
    EXPECT_EQ(lane(lanes->texcoords[1], 0), (Float4{7, 8, 9, 10}));  // before any setConstants

    std::vector<Float4> constants(300, Float4{1, 2, 3, 4});  // more than the file holds
    interpreter.setConstants(constants);
    interpreter.run(*lanes, 1);
    EXPECT_EQ(lane(lanes->texcoords[0], 0), (Float4{1, 2, 3, 4}));
    EXPECT_EQ(lane(lanes->texcoords[1], 0), (Float4{7, 8, 9, 10}));
    EXPECT_EQ(lane(lanes->texcoords[2], 0), (Float4{1, 2, 3, 4}));

    const Float4 few[] = {{5, 5, 5, 5}};  // the rest read 0
    interpreter.setConstants(few);
    interpreter.run(*lanes, 1);
    EXPECT_EQ(lane(lanes->texcoords[2], 0), (Float4{0, 0, 0, 0}));
}

TEST(ShaderInterpreter, TemporariesStartEachBatchAtZeroAndUnwrittenOutputsAreLeftAlone) {
    const DecodedShader shader = decoded("vs_2_0\nadd r0.x, r0, c0\nmov oPos, r0\n");
    EXPECT_EQ(shader.writtenOutputs, kOutputPosition);
    VertexShaderInterpreter interpreter(shader);
    const Float4 constants[] = {{1, 1, 1, 1}};
    interpreter.setConstants(constants);
    auto lanes = zeroedLanes<VertexLanes>();
    setLane(lanes->colours[0], 0, {9, 9, 9, 9});
    interpreter.run(*lanes, 1);
    interpreter.run(*lanes, 1);
    EXPECT_EQ(lane(lanes->position, 0), (Float4{1, 0, 0, 0}));
    EXPECT_EQ(lane(lanes->colours[0], 0), (Float4{9, 9, 9, 9}));
}

TEST(ShaderInterpreter, ResultsDoNotDependOnTheBatch) {
    const char* text = R"(
        vs_2_0
        dcl_position v0
        dcl_normal v1
        def c0, 0.3333333, 1.7, -0.1, 2
        nrm r0, v1
        dp3 r1, r0, c1
        max r1, r1, c0.z
        pow r2, r1.x, c0.w
        mad r3, v0, c0.x, r2
        lrp r4, c0.x, r3, v0
        exp r5, r4.y
        log r6, r4.z
        rsq r7, r3.x
        m4x4 oPos, r4, c4
        mul oD0, r5, r6
        frc oT0, r7
        mov oFog, r3.w
    )";
    const DecodedShader shader = decoded(text);
    VertexShaderInterpreter interpreter(shader);
    std::vector<Float4> constants(8);
    for (uint32_t i = 1; i < 8; ++i)
        constants[i] = {0.1f * float(i), -0.7f, 1.3f / float(i), 0.25f};
    interpreter.setConstants(constants);

    constexpr uint32_t kVertices = 37;
    const auto input = [](uint32_t vertex, uint32_t reg) {
        const float t = float(vertex) * 0.731f + float(reg);
        return Float4{std::sin(t) * 5, std::cos(t * 1.3f) * 3, t - 10, 1};
    };
    const auto runInBatches = [&](uint32_t batch) {
        std::vector<Float4> results;
        auto lanes = zeroedLanes<VertexLanes>();
        for (uint32_t first = 0; first < kVertices; first += batch) {
            const uint32_t count = std::min(batch, kVertices - first);
            for (uint32_t l = 0; l < count; ++l)
                for (uint32_t reg = 0; reg < 2; ++reg)
                    setLane(lanes->inputs[reg], l, input(first + l, reg));
            interpreter.run(*lanes, count);
            for (uint32_t l = 0; l < count; ++l) {
                results.push_back(lane(lanes->position, l));
                results.push_back(lane(lanes->colours[0], l));
                results.push_back(lane(lanes->texcoords[0], l));
                results.push_back(lane(lanes->fog, l));
            }
        }
        return results;
    };
    const std::vector<Float4> reference = runInBatches(kLanes);
    for (uint32_t batch : {1u, 3u, 8u, 13u}) {
        const std::vector<Float4> results = runInBatches(batch);
        ASSERT_EQ(results.size(), reference.size());
        for (size_t i = 0; i < results.size(); ++i)
            for (uint32_t k = 0; k < 4; ++k)
                EXPECT_EQ(std::bit_cast<uint32_t>(results[i][k]),
                          std::bit_cast<uint32_t>(reference[i][k]))
                    << "batch " << batch << " value " << i;
    }
}

// An instruction whose sources include its own destination reads the values from before it
// writes any component: the same statement reading a copy of the register gives the same bits.
TEST(ShaderInterpreter, InstructionsReadingTheirOwnDestinationSeeItsOldValue) {
    const char* const statements[] = {
        "mov r0.xy, S.yx",          "add r0.yzw, S.x, S.wzyx", "mad_sat r0, S.wzyx, S, S.y",
        "lrp r0.xz, S.z, S.x, S.y", "frc r0.yz, -S.zyxw",      "nrm r0.xyz, S.zxyw",
        "dp3 r0.yw, S, S.zxyw",     "rcp r0.xw, S.w",          "m3x3 r0.xyz, S, c0",
    };
    const auto run = [](const std::string& statement, const char* source) {
        std::string text = "vs_2_0\ndcl_position v0\nmov r0, v0\nmov r1, v0\n";
        std::string body = statement;
        for (size_t at = body.find('S'); at != std::string::npos; at = body.find('S', at + 1))
            body.replace(at, 1, source);
        text += body + "\nmov oT0, r0\n";
        const DecodedShader shader = decoded(text);
        VertexShaderInterpreter interpreter(shader);
        const Float4 constants[] = {{0.5f, -1, 2, 0}, {3, 0.25f, -0.5f, 1}, {-2, 1, 1, 0.75f}};
        interpreter.setConstants(constants);
        auto lanes = zeroedLanes<VertexLanes>();
        setLane(lanes->inputs[0], 0, {1.5f, -2.25f, 0.75f, 4});
        setLane(lanes->inputs[0], 1, {-0.5f, 3, 2.5f, -1});
        interpreter.run(*lanes, 2);
        return std::array<Float4, 2>{lane(lanes->texcoords[0], 0), lane(lanes->texcoords[0], 1)};
    };
    for (const char* statement : statements) {
        const auto own = run(statement, "r0");
        const auto copy = run(statement, "r1");
        for (uint32_t l = 0; l < 2; ++l)
            for (uint32_t k = 0; k < 4; ++k)
                EXPECT_EQ(std::bit_cast<uint32_t>(own[l][k]), std::bit_cast<uint32_t>(copy[l][k]))
                    << statement << " lane " << l << " component " << k;
    }
}

// Two-bone skinning the way the renderer's shaders address bones: the blend indices arrive as
// a D3DCOLOR (byte 0 in .z), c0.w = 765.01 turns index/255 into 3 * index, and each bone is
// three rows of a transposed matrix from c8 on.
TEST(ShaderInterpreter, SkinnedVertexFollowsItsBoneMatrices) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        dcl_blendweight v1
        dcl_blendindices v2
        mul r0, v2.zyxw, c0.w
        mova a0.x, r0.x
        m4x3 r1.xyz, v0, c[a0.x + 8]
        mova a0.x, r0.y
        m4x3 r2.xyz, v0, c[a0.x + 8]
        mul r1.xyz, r1, v1.x
        mad r1.xyz, r2, v1.y, r1
        mov r1.w, c0.x
        m4x4 oPos, r1, c4
    )");
    VertexShaderInterpreter interpreter(shader);
    std::vector<Float4> constants(8 + 3 * 4);
    constants[0] = {1, 0, 0, 765.01f};
    for (uint32_t r = 0; r < 4; ++r)
        constants[4 + r] = {r == 0 ? 1.f : 0.f, r == 1 ? 1.f : 0.f, r == 2 ? 1.f : 0.f,
                            r == 3 ? 1.f : 0.f};
    const auto translation = [&](uint32_t bone, float x, float y, float z) {
        constants[8 + 3 * bone + 0] = {1, 0, 0, x};
        constants[8 + 3 * bone + 1] = {0, 1, 0, y};
        constants[8 + 3 * bone + 2] = {0, 0, 1, z};
    };
    translation(0, 0, 0, 0);
    translation(1, 10, 0, 0);
    translation(2, 0, 20, 0);
    translation(3, 0, 0, 30);
    interpreter.setConstants(constants);

    auto lanes = zeroedLanes<VertexLanes>();
    const auto colourOf = [](uint32_t byte0, uint32_t byte1) {
        // D3DCOLOR bytes b0 b1 b2 b3 reach the shader as (b2, b1, b0, b3) / 255.
        return Float4{0, float(byte1) / 255.0f, float(byte0) / 255.0f, 0};
    };
    setLane(lanes->inputs[0], 0, {1, 2, 3, 1});
    setLane(lanes->inputs[1], 0, {1, 0, 0, 0});
    setLane(lanes->inputs[2], 0, colourOf(1, 0));  // all on bone 1
    setLane(lanes->inputs[0], 1, {1, 2, 3, 1});
    setLane(lanes->inputs[1], 1, {0.5f, 0.5f, 0, 0});
    setLane(lanes->inputs[2], 1, colourOf(2, 3));  // halfway between bones 2 and 3
    interpreter.run(*lanes, 2);
    EXPECT_EQ(lane(lanes->position, 0), (Float4{11, 2, 3, 1}));
    EXPECT_EQ(lane(lanes->position, 1), (Float4{1, 12, 18, 1}));

    translation(1, -5, 0, 0);  // moving the bone moves the vertex
    interpreter.setConstants(constants);
    interpreter.run(*lanes, 1);
    EXPECT_EQ(lane(lanes->position, 0), (Float4{-4, 2, 3, 1}));
}

// A point-sampled 16x1 texture with clamped addressing; texel x is at u = (x + 0.5) / 16.
class RampSampler final : public ShaderSampler {
public:
    static Float4 texel(int x) {
        x = std::clamp(x, 0, 15);
        return {float(x) / 15.0f, float(x * x) / 225.0f, 1.0f - float(x) / 15.0f, 0.5f};
    }

    void sample(uint32_t, const LaneVector& coordinates, uint32_t laneCount,
                LaneVector& texels) override {
        for (uint32_t l = 0; l < laneCount; ++l) {
            const Float4 value = texel(int(std::floor(coordinates.c[0][l] * 16.0f)));
            for (uint32_t k = 0; k < 4; ++k) texels.c[k][l] = value[k];
        }
    }
};

TEST(ShaderInterpreter, EightTapBlurMatchesAReferenceComputedHere) {
    // Offsets (in u) in c0..c7.x, weights in c8 and c9.
    std::string text = "ps_2_0\ndcl t0.xy\ndcl_2d s0\n";
    for (int tap = 0; tap < 8; ++tap) {
        const std::string n = std::to_string(tap);
        text += "add r" + n + ", t0, c" + n + "\ntexld r" + n + ", r" + n + ", s0\n";
    }
    text += "mul r8, r0, c8.x\nmad r8, r1, c8.y, r8\nmad r8, r2, c8.z, r8\nmad r8, r3, c8.w, r8\n";
    text += "mad r8, r4, c9.x, r8\nmad r8, r5, c9.y, r8\nmad r8, r6, c9.z, r8\n";
    text += "mad r8, r7, c9.w, r8\nmov oC0, r8\n";
    const DecodedShader shader = decoded(text);
    PixelShaderInterpreter interpreter(shader);

    const float weights[8] = {0.05f, 0.09f, 0.12f, 0.24f, 0.24f, 0.12f, 0.09f, 0.05f};
    std::vector<Float4> constants(10);
    for (int tap = 0; tap < 8; ++tap) constants[tap] = {float(tap - 4) / 16.0f, 0, 0, 0};
    constants[8] = {weights[0], weights[1], weights[2], weights[3]};
    constants[9] = {weights[4], weights[5], weights[6], weights[7]};
    interpreter.setConstants(constants);

    auto lanes = zeroedLanes<PixelLanes>();
    for (uint32_t x = 0; x < kLanes; ++x)
        setLane(lanes->texcoords[0], x, {(float(x) + 0.5f) / 16.0f, 0.5f, 0, 0});
    RampSampler sampler;
    interpreter.run(*lanes, kLanes, sampler);

    for (uint32_t x = 0; x < kLanes; ++x) {
        Float4 expected{};
        for (int tap = 0; tap < 8; ++tap) {
            const Float4 t = RampSampler::texel(int(x) + tap - 4);
            for (uint32_t k = 0; k < 4; ++k) {
                const float product = t[k] * weights[tap];
                expected[k] = tap == 0 ? product : product + expected[k];
            }
        }
        EXPECT_EQ(lane(lanes->colour, x), expected) << x;
    }
}

TEST(ShaderInterpreter, InterpretersRefuseTheOtherShaderKind) {
    const DecodedShader pixel = decoded("ps_2_0\nmov oC0, c0\n");
    const DecodedShader vertex = decoded("vs_2_0\nmov oPos, c0\n");
    EXPECT_THROW(VertexShaderInterpreter{pixel}, std::invalid_argument);
    EXPECT_THROW(PixelShaderInterpreter{vertex}, std::invalid_argument);
}

}  // namespace
}  // namespace tessera::test

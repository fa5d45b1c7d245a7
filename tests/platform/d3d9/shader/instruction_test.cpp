// Every instruction against the same computation written out in C++, on 16 lanes of varied
// values that include the special cases (0, 1, negative, halves).
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <functional>

#include "shader_builders.h"

namespace tessera::test {
namespace {

using Reference = std::function<Float4(const Float4& a, const Float4& b, const Float4& c)>;

struct InstructionCase {
    const char* statement;  // reads v0, v1, v2 (vertex) or t0, t1, t2 (pixel), writes the output
    Reference reference;
};

Float4 each(const Float4& a, const std::function<float(float)>& f) {
    return {f(a[0]), f(a[1]), f(a[2]), f(a[3])};
}

Float4 each(const Float4& a, const Float4& b, const std::function<float(float, float)>& f) {
    return {f(a[0], b[0]), f(a[1], b[1]), f(a[2], b[2]), f(a[3], b[3])};
}

Float4 all(float value) { return {value, value, value, value}; }

float dot3(const Float4& a, const Float4& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

float dot4(const Float4& a, const Float4& b) { return dot3(a, b) + a[3] * b[3]; }

// Lane values: a few hand-picked vectors with the edge cases, then a fixed pseudo-random fill.
Float4 laneValue(uint32_t lane, uint32_t input) {
    static const Float4 special[] = {
        {0, 0, 0, 0},
        {1, 1, 1, 1},
        {-0.5f, 0.5f, 2.5f, -2.5f},
        {-4, 3, -0.25f, 8},
    };
    if (lane < 4) return special[(lane + input) % 4];
    uint32_t state = lane * 2654435761u + input * 40503u + 12345u;
    Float4 value;
    for (float& v : value) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<float>(static_cast<int32_t>(state >> 8) % 8000) / 1000.0f;
    }
    return value;
}

void expectBitEqual(const Float4& actual, const Float4& expected, const std::string& what) {
    for (uint32_t k = 0; k < 4; ++k) {
        const bool same =
            std::bit_cast<uint32_t>(actual[k]) == std::bit_cast<uint32_t>(expected[k]) ||
            (std::isnan(actual[k]) && std::isnan(expected[k]));
        EXPECT_TRUE(same) << what << " component " << k << ": " << actual[k] << " expected "
                          << expected[k];
    }
}

const InstructionCase kArithmetic[] = {
    {"mov OUT, A", [](auto& a, auto&, auto&) { return a; }},
    {"add OUT, A, B",
     [](auto& a, auto& b, auto&) { return each(a, b, [](float x, float y) { return x + y; }); }},
    {"sub OUT, A, B",
     [](auto& a, auto& b, auto&) { return each(a, b, [](float x, float y) { return x - y; }); }},
    {"mul OUT, A, B",
     [](auto& a, auto& b, auto&) { return each(a, b, [](float x, float y) { return x * y; }); }},
    {"mad OUT, A, B, C",
     [](auto& a, auto& b, auto& c) {
         Float4 r;
         for (int k = 0; k < 4; ++k) {
             const float product = a[k] * b[k];
             r[k] = product + c[k];
         }
         return r;
     }},
    {"dp3 OUT, A, B", [](auto& a, auto& b, auto&) { return all(dot3(a, b)); }},
    {"dp4 OUT, A, B", [](auto& a, auto& b, auto&) { return all(dot4(a, b)); }},
    {"rcp OUT, A.y", [](auto& a, auto&, auto&) { return all(a[1] == 0 ? FLT_MAX : 1.0f / a[1]); }},
    {"rsq OUT, A.z",
     [](auto& a, auto&, auto&) {
         return all(a[2] == 0 ? FLT_MAX : 1.0f / std::sqrt(std::fabs(a[2])));
     }},
    {"min OUT, A, B",
     [](auto& a, auto& b, auto&) {
         return each(a, b, [](float x, float y) { return x < y ? x : y; });
     }},
    {"max OUT, A, B",
     [](auto& a, auto& b, auto&) {
         return each(a, b, [](float x, float y) { return x > y ? x : y; });
     }},
    {"frc OUT, A",
     [](auto& a, auto&, auto&) { return each(a, [](float x) { return x - std::floor(x); }); }},
    {"abs OUT, A",
     [](auto& a, auto&, auto&) { return each(a, [](float x) { return std::fabs(x); }); }},
    {"nrm OUT, A",
     [](auto& a, auto&, auto&) {
         const float squared = dot3(a, a);
         const float scale = squared != 0 ? 1.0f / std::sqrt(squared) : FLT_MAX;
         return each(a, [&](float x) { return x * scale; });
     }},
    {"pow OUT, A.x, B.w",
     [](auto& a, auto& b, auto&) { return all(std::pow(std::fabs(a[0]), b[3])); }},
    {"lrp OUT, A, B, C",
     [](auto& a, auto& b, auto& c) {
         Float4 r;
         for (int k = 0; k < 4; ++k) {
             const float scaled = a[k] * (b[k] - c[k]);
             r[k] = scaled + c[k];
         }
         return r;
     }},
    {"exp OUT, A.w", [](auto& a, auto&, auto&) { return all(std::exp2(a[3])); }},
    {"log OUT, A.x",
     [](auto& a, auto&, auto&) { return all(a[0] != 0 ? std::log2(std::fabs(a[0])) : -FLT_MAX); }},
};

const InstructionCase kVertexOnly[] = {
    {"slt OUT, A, B",
     [](auto& a, auto& b, auto&) {
         return each(a, b, [](float x, float y) { return x < y ? 1.f : 0.f; });
     }},
    {"sge OUT, A, B",
     [](auto& a, auto& b, auto&) {
         return each(a, b, [](float x, float y) { return x >= y ? 1.f : 0.f; });
     }},
};

const InstructionCase kPixelOnly[] = {
    {"cmp OUT, A, B, C",
     [](auto& a, auto& b, auto& c) {
         Float4 r;
         for (int k = 0; k < 4; ++k) r[k] = a[k] >= 0 ? b[k] : c[k];
         return r;
     }},
};

std::string substituted(std::string statement, const char* out, const char* a, const char* b,
                        const char* c) {
    const std::pair<const char*, const char*> names[] = {
        {"OUT", out}, {"A", a}, {"B", b}, {"C", c}};
    for (const auto& [from, to] : names)
        for (size_t at = statement.find(from); at != std::string::npos;
             at = statement.find(from, at + 1))
            statement.replace(at, std::strlen(from), to);
    return statement;
}

void checkVertex(const InstructionCase& c) {
    const std::string statement = substituted(c.statement, "oT0", "v0", "v1", "v2");
    const DecodedShader shader = decoded(
        "vs_2_0\ndcl_texcoord0 v0\ndcl_texcoord1 v1\ndcl_texcoord2 v2\n" + statement + "\n");
    VertexShaderInterpreter interpreter(shader);
    auto lanes = zeroedLanes<VertexLanes>();
    for (uint32_t l = 0; l < kLanes; ++l)
        for (uint32_t i = 0; i < 3; ++i) setLane(lanes->inputs[i], l, laneValue(l, i));
    interpreter.run(*lanes, kLanes);
    for (uint32_t l = 0; l < kLanes; ++l)
        expectBitEqual(lane(lanes->texcoords[0], l),
                       c.reference(laneValue(l, 0), laneValue(l, 1), laneValue(l, 2)),
                       statement + " lane " + std::to_string(l));
}

void checkPixel(const InstructionCase& c) {
    const std::string statement = substituted(c.statement, "r0", "t0", "t1", "t2");
    const DecodedShader shader =
        decoded("ps_2_0\ndcl t0\ndcl t1\ndcl t2\n" + statement + "\nmov oC0, r0\n");
    PixelShaderInterpreter interpreter(shader);
    auto lanes = zeroedLanes<PixelLanes>();
    for (uint32_t l = 0; l < kLanes; ++l)
        for (uint32_t i = 0; i < 3; ++i) setLane(lanes->texcoords[i], l, laneValue(l, i));
    EchoSampler sampler;
    interpreter.run(*lanes, kLanes, sampler);
    for (uint32_t l = 0; l < kLanes; ++l)
        expectBitEqual(lane(lanes->colour, l),
                       c.reference(laneValue(l, 0), laneValue(l, 1), laneValue(l, 2)),
                       statement + " lane " + std::to_string(l));
}

TEST(ShaderInstructions, ArithmeticMatchesReferenceMathInBothShaderKinds) {
    for (const InstructionCase& c : kArithmetic) {
        checkVertex(c);
        checkPixel(c);
    }
}

TEST(ShaderInstructions, VertexOnlyAndPixelOnlyInstructions) {
    for (const InstructionCase& c : kVertexOnly) checkVertex(c);
    for (const InstructionCase& c : kPixelOnly) checkPixel(c);
}

TEST(ShaderInstructions, ScalarSpecialCases) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        rcp oT0, v0.x
        rsq oT1, v0.x
        log oT2, v0.x
        nrm oT3, v0.xxxx
        frc oT4, -v0
        exp oT5, v0.y
    )");
    VertexShaderInterpreter interpreter(shader);
    auto lanes = zeroedLanes<VertexLanes>();
    setLane(lanes->inputs[0], 0, {0, 1, 0.25f, 0});
    setLane(lanes->inputs[0], 1, {1, -1, 0, 0});
    setLane(lanes->inputs[0], 2, {-4, 3, 0, 0});
    interpreter.run(*lanes, 3);
    EXPECT_EQ(lane(lanes->texcoords[0], 0), all(FLT_MAX));  // rcp 0
    EXPECT_EQ(lane(lanes->texcoords[0], 1), all(1));        // rcp 1 is exactly 1
    EXPECT_EQ(lane(lanes->texcoords[0], 2), all(-0.25f));
    EXPECT_EQ(lane(lanes->texcoords[1], 0), all(FLT_MAX));  // rsq 0
    EXPECT_EQ(lane(lanes->texcoords[1], 1), all(1));
    EXPECT_EQ(lane(lanes->texcoords[1], 2), all(0.5f));      // of |-4|
    EXPECT_EQ(lane(lanes->texcoords[2], 0), all(-FLT_MAX));  // log 0
    EXPECT_EQ(lane(lanes->texcoords[2], 2), all(2));         // log2 |-4|
    EXPECT_EQ(lane(lanes->texcoords[3], 0), all(0));         // a zero vector stays zero
    EXPECT_EQ(lane(lanes->texcoords[4], 0), (Float4{0, 0, 0.75f, 0}));
    EXPECT_EQ(lane(lanes->texcoords[5], 1), all(0.5f));
    EXPECT_EQ(lane(lanes->texcoords[5], 2), all(8));
}

TEST(ShaderInstructions, MatrixInstructionsUseConsecutiveRows) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        m4x4 oT0, v0, c4
        m4x3 oT1.xyz, v0, c4
        m3x3 oT2.xyz, v0, c4
    )");
    VertexShaderInterpreter interpreter(shader);
    std::vector<Float4> constants(8);
    for (uint32_t row = 0; row < 4; ++row)
        constants[4 + row] = {float(row + 1), float(row) * 0.5f - 1, 2, float(row * row)};
    interpreter.setConstants(constants);
    auto lanes = zeroedLanes<VertexLanes>();
    const Float4 v{1.5f, -2, 0.25f, 3};
    setLane(lanes->inputs[0], 0, v);
    interpreter.run(*lanes, 1);
    const Float4 m4x4{dot4(v, constants[4]), dot4(v, constants[5]), dot4(v, constants[6]),
                      dot4(v, constants[7])};
    EXPECT_EQ(lane(lanes->texcoords[0], 0), m4x4);
    EXPECT_EQ(lane(lanes->texcoords[1], 0), (Float4{m4x4[0], m4x4[1], m4x4[2], 1}));
    EXPECT_EQ(lane(lanes->texcoords[2], 0),
              (Float4{dot3(v, constants[4]), dot3(v, constants[5]), dot3(v, constants[6]), 1}));
}

TEST(ShaderInstructions, MovaRoundsToNearest) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        mova a0, v0
        mov oT0, c[a0.x + 10]
        mov oT1, c[a0.y + 10]
        mov oT2, c[a0.z + 10]
        mov oT3, c[a0.w + 10]
    )");
    VertexShaderInterpreter interpreter(shader);
    std::vector<Float4> constants(20);
    for (uint32_t i = 0; i < constants.size(); ++i) constants[i] = all(float(i));
    interpreter.setConstants(constants);
    auto lanes = zeroedLanes<VertexLanes>();
    setLane(lanes->inputs[0], 0, {2.5f, -2.5f, 0.49f, -0.51f});
    setLane(lanes->inputs[0], 1, {1.5f, 3.4999f, 4.5001f, -1.5f});
    interpreter.run(*lanes, 2);
    const float expected[2][4] = {{13, 7, 10, 9}, {12, 13, 15, 8}};
    for (uint32_t l = 0; l < 2; ++l)
        for (uint32_t k = 0; k < 4; ++k)
            EXPECT_EQ(lanes->texcoords[k].c[0][l], expected[l][k]) << l << " " << k;
}

TEST(ShaderInstructions, TexldSamplesThroughTheSamplerWithItsCoordinates) {
    const DecodedShader shader = decoded(R"(
        ps_2_0
        dcl t1.xy
        dcl_2d s2
        dcl_2d s5
        mul r1, t1, c0
        texld r0, t1, s2
        texld r1, r1, s5
        add oC0, r0, r1
    )");
    PixelShaderInterpreter interpreter(shader);
    const Float4 constants[] = {{2, 3, 4, 5}};
    interpreter.setConstants(constants);
    auto lanes = zeroedLanes<PixelLanes>();
    for (uint32_t l = 0; l < 8; ++l) setLane(lanes->texcoords[1], l, {float(l), 0.5f, 0, 0});
    EchoSampler sampler;
    interpreter.run(*lanes, 8, sampler);
    EXPECT_EQ(sampler.samplers, (std::vector<uint32_t>{2, 5}));
    for (uint32_t l = 0; l < 8; ++l)
        EXPECT_EQ(lane(lanes->colour, l),
                  (Float4{float(l) + 2 + float(l) * 2 + 5, 0.5f + 2 + 1.5f + 5, 2 + 5, 2 + 5}));
}

}  // namespace
}  // namespace tessera::test

#include <gtest/gtest.h>

#include "shader_builders.h"

namespace tessera::test {
namespace {

constexpr uint32_t kVs = 0xFFFE0200;
constexpr uint32_t kPs = 0xFFFF0200;
constexpr uint32_t kEnd = 0x0000FFFF;
constexpr uint32_t kMovInstruction = 0x02000001;  // mov, 2 parameter tokens
constexpr uint32_t kR0 = 0x800F0000;              // r0, full mask
constexpr uint32_t kR1 = 0x80E40001;              // r1, identity swizzle
constexpr uint32_t kC0 = 0xA0E40000;              // c0, identity swizzle

TEST(ShaderDecoder, DecodesDeclarationsDefinitionsAndInstructions) {
    const DecodedShader shader = decoded(R"(
        vs_2_0
        dcl_position v0
        dcl_texcoord1 v3.xy
        def c10, 1, -2.5, 0, 4
        mova a0.x, v0.z
        mad_sat r0.xz, -v0.yxzw, c[a0.x + 8].w, c1
        mov oT2.xy, r0
        mov oFog, r0.x
    )");
    EXPECT_EQ(shader.kind, ShaderKind::Vertex);
    ASSERT_EQ(shader.inputs.size(), 2u);
    EXPECT_EQ(shader.inputs[1].usage, DeclUsage::Texcoord);
    EXPECT_EQ(shader.inputs[1].usageIndex, 1);
    EXPECT_EQ(shader.inputs[1].index, 3);
    EXPECT_EQ(shader.inputs[1].writeMask, 0x3);
    ASSERT_EQ(shader.definitions.size(), 1u);
    EXPECT_EQ(shader.definitions[0].index, 10);
    EXPECT_EQ(shader.definitions[0].value, (Float4{1, -2.5f, 0, 4}));
    ASSERT_EQ(shader.instructions.size(), 4u);
    const Instruction& mad = shader.instructions[1];
    EXPECT_EQ(mad.opcode, Opcode::Mad);
    EXPECT_TRUE(mad.destination.saturate);
    EXPECT_EQ(mad.destination.writeMask, 0x5);
    EXPECT_TRUE(mad.sources[0].negate);
    EXPECT_EQ(mad.sources[0].swizzle, 0xE1);  // y x z w
    EXPECT_TRUE(mad.sources[1].relative);
    EXPECT_EQ(mad.sources[1].index, 8);
    EXPECT_EQ(mad.sources[1].swizzle, 0xFF);
    EXPECT_EQ(shader.writtenOutputs, kOutputFog | (kOutputTexcoord0 << 2));
}

TEST(ShaderDecoder, PixelShaderInputsAreRecordedAsColoursAndTexcoords) {
    const DecodedShader shader =
        decoded("ps_2_0\ndcl v1\ndcl t2.xy\ndcl_2d s3\ntexld r0, t2, s3\nmov oC0, r0\n");
    ASSERT_EQ(shader.inputs.size(), 2u);
    EXPECT_EQ(shader.inputs[0].usage, DeclUsage::Color);
    EXPECT_EQ(shader.inputs[0].usageIndex, 1);
    EXPECT_EQ(shader.inputs[1].type, RegisterType::Texture);
    EXPECT_EQ(shader.inputs[1].usage, DeclUsage::Texcoord);
    ASSERT_EQ(shader.samplers.size(), 1u);
    EXPECT_EQ(shader.samplers[0].index, 3);
    EXPECT_EQ(shader.writtenOutputs, kOutputColour0);
}

TEST(ShaderDecoder, SkipsCommentsAndStopsAtTheEndToken) {
    const std::vector<uint32_t> tokens{kVs, 0x0002FFFE, 0x12345678, kEnd,      kMovInstruction,
                                       kR0, kC0,        kEnd,       0xDEADBEEF};
    const DecodeResult result = decodeShader(tokens);
    ASSERT_TRUE(result.shader) << result.error;
    EXPECT_EQ(result.shader->tokenCount, 8u);
    EXPECT_EQ(result.shader->instructions.size(), 1u);
}

struct RefusedStream {
    const char* what;
    std::vector<uint32_t> tokens;
    size_t errorToken;
};

TEST(ShaderDecoder, RefusesInvalidStreams) {
    const RefusedStream cases[] = {
        {"empty", {}, 0},
        {"not a version", {0x12340200, kEnd}, 0},
        {"vs 1.1", {0xFFFE0101, kEnd}, 0},
        {"vs 3.0", {0xFFFE0300, kEnd}, 0},
        {"no end token", {kVs, kMovInstruction, kR0, kC0}, 4},
        {"instruction cut short", {kVs, kMovInstruction, kR0}, 1},
        {"comment past the end", {kVs, 0x0005FFFE, 1, 2}, 1},
        {"length too long", {kVs, 0x03000001, kR0, kC0, kC0, kEnd}, 1},
        {"length too short", {kVs, 0x01000001, kR0, kEnd}, 1},
        {"unsupported opcode (lit)", {kVs, 0x02000010, kR0, kC0, kEnd}, 1},
        {"predicated", {kVs, kMovInstruction | 0x10000000, kR0, kC0, kEnd}, 1},
        {"opcode controls", {kVs, kMovInstruction | 0x00010000, kR0, kC0, kEnd}, 1},
        {"parameter bit clear", {kVs, kMovInstruction, kR0 & 0x7FFFFFFF, kC0, kEnd}, 1},
        {"temp r12", {kVs, kMovInstruction, 0x800F000C, kC0, kEnd}, 1},
        {"constant c256", {kVs, kMovInstruction, kR0, 0xA0E40100, kEnd}, 1},
        {"pixel constant c32", {kPs, kMovInstruction, kR0, 0xA0E40020, kEnd}, 1},
        {"undeclared input", {kVs, kMovInstruction, kR0, 0x90E40000, kEnd}, 1},
        {"empty write mask", {kVs, kMovInstruction, 0x80000000, kC0, kEnd}, 1},
        {"abs source modifier", {kVs, kMovInstruction, kR0, kC0 | 0x0B000000, kEnd}, 1},
        {"write to a constant", {kVs, kMovInstruction, 0xA00F0000, kC0, kEnd}, 1},
        {"mov to a0", {kVs, kMovInstruction, 0xB00F0000, kC0, kEnd}, 1},
        {"relative without its token", {kVs, kMovInstruction, kR0, kC0 | 0x2000, kEnd}, 1},
        {"relative through r0", {kVs, 0x03000001, kR0, kC0 | 0x2000, 0x80000000, kEnd}, 1},
        {"relative in a pixel shader", {kPs, 0x03000001, kR0, kC0 | 0x2000, 0xB0000000, kEnd}, 1},
        {"texld in a vertex shader", {kVs, 0x03000042, kR0, kR1, 0x90E40000, kEnd}, 1},
        {"mova in a pixel shader", {kPs, 0x0200002E, 0xB00F0000, kC0, kEnd}, 1},
        {"oPts", {kVs, kMovInstruction, 0xC00F0002, kC0, kEnd}, 1},
        {"oFog through .y", {kVs, kMovInstruction, 0xC0020001, kC0, kEnd}, 1},
        {"def of a temp", {kVs, 0x05000051, kR0, 0, 0, 0, 0, kEnd}, 1},
        {"cube sampler", {kPs, 0x0200001F, 0x98000000, 0xA80F0000, kEnd}, 1},
        {"usage declared twice",
         {kVs, 0x0200001F, 0x80000000, 0x900F0000, 0x0200001F, 0x80000000, 0x900F0001, kEnd},
         4},
        {"end in the middle of a comment length", {kVs, 0x0001FFFE}, 1},
    };
    for (const RefusedStream& c : cases) {
        const DecodeResult result = decodeShader(c.tokens);
        EXPECT_FALSE(result.shader.has_value()) << c.what;
        EXPECT_FALSE(result.error.empty()) << c.what;
        EXPECT_EQ(result.errorToken, c.errorToken) << c.what << ": " << result.error;
    }
}

TEST(ShaderDecoder, EveryTruncationOfAValidStreamIsRefused) {
    const std::vector<uint32_t> tokens = assembled(R"(
        vs_2_0
        dcl_position v0
        dcl_blendindices v1
        def c0, 1, 2, 3, 765.01
        mul r0, v1.zyxw, c0.w
        mova a0.x, r0.x
        m4x3 r1.xyz, v0, c[a0.x + 8]
        mov oPos, r1
    )");
    ASSERT_TRUE(decodeShader(tokens).shader);
    for (size_t length = 0; length < tokens.size(); ++length) {
        // A copy of exactly `length` tokens, so that a read past it is caught by ASan.
        const std::vector<uint32_t> prefix(tokens.begin(),
                                           tokens.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(decodeShader(prefix).shader) << length;
    }
}

TEST(ShaderDecoder, MatrixRulesAreEnforced) {
    const char* refused[] = {
        "vs_2_0\nm4x4 r0.xyz, r1, c0\n",       // m4x4 writes all four components
        "vs_2_0\nm3x3 r0, r1, c0\n",           // m3x3 writes .xyz
        "vs_2_0\nm4x4 r0, r1, c253\n",         // rows c253..c256 leave the file
        "vs_2_0\nm4x4 r0, r1, -c0\n",          // no negation on the matrix
        "vs_2_0\nm4x4 r0, r1, c0.yxzw\n",      // no swizzle on the matrix
        "ps_2_0\ndcl_2d s0\nmov r0, s0\n",     // samplers only feed texld
        "ps_2_0\ndcl t0\ntexld r0, t0, s1\n",  // undeclared sampler
        "ps_2_0\ndcl_2d s0\ntexld oC0, r0, s0\n",
    };
    for (const char* text : refused) {
        const tools::shasm::AssembleResult result = tools::shasm::assembleShader(text);
        EXPECT_FALSE(result.error.empty()) << text;
    }
    EXPECT_TRUE(decodeShader(assembled("vs_2_0\nm4x4 r0, r1, c252\n")).shader);
}

// A temporary starts each batch at zero when some component is read before being written;
// texld reads only x and y of its coordinates.
TEST(ShaderDecoder, TemporariesReadBeforeWrittenAreNoted) {
    const struct {
        const char* body;
        uint32_t expected;
    } cases[] = {
        {"add r0.xy, t0, c0\ntexld r0, r0, s0\nmov oC0, r0\n", 0},
        {"add r0.xy, t0, c0\ntexld r1, r0.zwzw, s0\nmov oC0, r1\n", 1u << 0},
        {"add r0.xy, t0, c0\nmov oC0, r0\n", 1u << 0},
        {"mov r2.x, c0\nmul oC0, r2.x, r3\n", 1u << 3},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("ps_2_0\ndcl t0.xy\ndcl_2d s0\n") + c.body;
        EXPECT_EQ(decoded(text.c_str()).tempsReadBeforeWritten, c.expected) << c.body;
    }
}
}  // namespace
}  // namespace tessera::test

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/d3d9/shader/shader_decoder.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/shasm/shader_assembler.h"
#include "tools/shasm/shader_disassembler.h"

namespace tessera::test {
namespace {

using tools::shasm::assembleShader;
using tools::shasm::disassembleShader;

const char* const kPrograms[] = {
    R"(vs_2_0
dcl_position v0
dcl_blendweight v1
dcl_blendindices v2
dcl_normal v3
dcl_color v4
dcl_texcoord v5
dcl_texcoord3 v6.xy
def c0, 1, -0.5, 3.1415927, 765.01
mul r0, v2.zyxw, c0.w
mova a0.xy, r0
m4x3 r1.xyz, v0, c[a0.x + 8]
m4x4 r2, v0, c[a0.y]
m3x3 r3.xyz, v3, c4
mad_sat r4.yw, -r1.zwxy, c255.x, r2
dp3 r5.x, r3, r3
dp4 r5.y, r2, c1
rcp r5.z, r5.x
rsq r5.w, r5.y
min r6, r5, c2
max r6, r6, -c3.w
slt r7, r6, c2
sge r8, r6.wwxy, c2
frc r9, r8
abs r10, -r9
nrm r11, r10
pow r0, r11.x, c0.y
lrp r1, r0, r2, r3
exp r2, r1.z
log r3, r2.y
add r4, r3, v4
sub r5, r4, v6
mov oPos, r5
mov oFog, r5.w
mov oD0, v4
mov oD1.xyz, r4
mov oT0.xy, v5
mov oT7, r3
nop
)",
    R"(ps_2_0
dcl v0
dcl v1.xyz
dcl t0.xy
dcl_pp t7
dcl_2d s0
dcl_2d s15
def c31, 0, 0.25, 1e-10, -1e+20
texld r0, t0, s0
texld_pp r1, r0, s15
cmp r2, -r0, r1, c31.z
mul_sat_pp r3, r2, v0
lrp r4, c0.x, r3, v1
mov oC0, r4
)",
};

TEST(Shasm, RoundTripsTextTokensTextTokens) {
    for (const char* program : kPrograms) {
        const auto first = assembleShader(program);
        ASSERT_EQ(first.error, "");
        const auto text = disassembleShader(first.tokens);
        ASSERT_EQ(text.error, "");
        EXPECT_EQ(text.text, program);  // the programs above are written in canonical form
        const auto second = assembleShader(text.text);
        ASSERT_EQ(second.error, "");
        EXPECT_EQ(second.tokens, first.tokens);
    }
}

TEST(Shasm, AcceptsAlternativeSpellings) {
    const struct {
        const char* written;
        const char* canonical;
    } cases[] = {
        {"VS_2_0\nMOV oPOS, C0.RGBA ; comment\n", "vs_2_0\nmov oPos, c0\n"},
        {"vs_2_0 // comment\n\n  mov oT0, c4[a0.x]\n", "vs_2_0\nmov oT0, c[a0.x + 4]\n"},
        {"vs_2_0\nmov r0, c[2 + a0.w + 3].xyzz\n", "vs_2_0\nmov r0, c[a0.w + 5].xyzz\n"},
        {"vs_2_0\nmov r0.xyzw, c0.xyzw\n", "vs_2_0\nmov r0, c0\n"},
        {"vs_2_0\ndef c0, +1, .5, -0, 1e3\n", "vs_2_0\ndef c0, 1, 0.5, -0, 1000\n"},
        {"vs_2_0\ndcl_texcoord0 v0\n", "vs_2_0\ndcl_texcoord v0\n"},
    };
    for (const auto& c : cases) {
        const auto assembled = assembleShader(c.written);
        ASSERT_EQ(assembled.error, "") << c.written;
        EXPECT_EQ(disassembleShader(assembled.tokens).text, c.canonical);
    }
}

TEST(Shasm, ReportsTheLineOfAnError) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"", "line 1: expected vs_2_0 or ps_2_0 first"},
        {"vs_1_1\n", "line 1: expected vs_2_0 or ps_2_0 first"},
        {"vs_2_0\nmov r0, c0\nfoo r0, r1\n", "line 3: unknown instruction 'foo'"},
        {"vs_2_0\nmov_x r0, c0\n", "line 2: unknown modifier '_x'"},
        {"vs_2_0\nadd r0, c0\n", "line 2: add takes 3 operands"},
        {"vs_2_0\nmov r0.yx, c0\n", "line 2: bad write mask in 'r0.yx'"},
        {"vs_2_0\nmov r0, c0.xyzwx\n", "line 2: bad swizzle in 'c0.xyzwx'"},
        {"vs_2_0\nmov r0, q0\n", "line 2: bad source register 'q0'"},
        {"vs_2_0\nmov r0, r1[a0.x]\n", "line 2: relative addressing applies to constants only"},
        {"vs_2_0\nmov r0, c[a0.x + a0.y]\n", "line 2: bad relative address in 'c[a0.x + a0.y]'"},
        {"vs_2_0\nmov r0, c[4]\n", "line 2: bad relative address in 'c[4]'"},
        {"vs_2_0\ndef c0, 1, 2, 3\n", "line 2: def takes a constant register and four values"},
        {"vs_2_0\ndef c0, 1, 2, x, 4\n", "line 2: bad number 'x'"},
        {"vs_2_0\ndcl_banana v0\n", "line 2: unknown dcl usage 'banana'"},
        {"vs_2_0\n\nmov r0, v0\n", "line 3: input register read before its dcl"},
        {"vs_2_0\nmov r12, c0\n", "line 2: temporary register out of range"},
        {"ps_2_0\nslt r0, c0, c1\n", "line 2: instruction not supported in this shader model"},
        {"ps_2_0\nmova a0.x, c0\n", "line 2: bad destination register 'a0.x'"},
    };
    for (const auto& c : cases) {
        const auto result = assembleShader(c.text);
        EXPECT_EQ(result.error, c.error) << c.text;
        EXPECT_TRUE(result.tokens.empty());
    }
}

TEST(Shasm, DisassemblerRefusesInvalidStreams) {
    const uint32_t truncated[] = {0xFFFE0200, 0x02000001, 0x800F0000};
    const auto result = disassembleShader(truncated);
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(result.error, "token 1: instruction runs past the end of the stream");
}

TEST(Shasm, CommandLineAssemblesAndDisassemblesFiles) {
    const std::string shasm = requiredEnv("SHASM");
    TempDir dir;
    const std::string source = dir.write("blur.asm", kPrograms[1]);
    const std::string tokens = dir.file("blur.psh");
    const std::string text = dir.file("blur.txt");
    ASSERT_EQ(std::system((shasm + " " + source + " " + tokens).c_str()), 0);
    const std::string bytes = readFileBytes(tokens);
    const auto expected = assembleShader(kPrograms[1]).tokens;
    ASSERT_EQ(bytes.size(), expected.size() * 4);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x00);  // little-endian 0xFFFF0200
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x02);
    EXPECT_EQ(static_cast<unsigned char>(bytes[3]), 0xFF);
    ASSERT_EQ(std::system((shasm + " -d " + tokens + " " + text).c_str()), 0);
    EXPECT_EQ(readFileBytes(text), kPrograms[1]);

    const std::string invalid = dir.write("invalid.asm", "ps_2_0\nmov oC0, t0\n");
    EXPECT_NE(std::system((shasm + " " + invalid + " " + tokens + " 2>/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace tessera::test

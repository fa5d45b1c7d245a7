#pragma once
// Assembles vs_2_0 / ps_2_0 text into shader tokens.
//
// The text is one statement a line; ';' and '//' start comments. The first statement is
// "vs_2_0" or "ps_2_0". Instructions are written "name[_sat][_pp] dst, src, ..." with
// registers r#, v#, c#, a0, t#, s#, oPos, oFog, oD#, oT#, oC#; destinations take a write mask
// (".xz"), sources a leading '-' and a swizzle (".wzyx"; fewer letters repeat the last one).
// Vertex shader constants may be addressed relative to a0: "c[a0.x + 8]" or "c8[a0.x]".
// Declarations: "dcl_position v0", "dcl_texcoord1 v3" (vertex), "dcl t0.xy", "dcl v0",
// "dcl_2d s0" (pixel). Constants: "def c4, 1, 0.5, -2, 0".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tools::shasm {

struct AssembleResult {
    std::vector<uint32_t> tokens;  // empty on failure
    std::string error;             // "line N: what is wrong"
};

// The output is checked with the device's own decoder, so what assembles also loads.
AssembleResult assembleShader(std::string_view text);

}  // namespace tools::shasm

#pragma once
// Turns a shader token stream back into the assembly text that assembleShader accepts: one
// statement a line in stream order, comments left out.
#include <cstdint>
#include <span>
#include <string>

namespace tools::shasm {

struct DisassembleResult {
    std::string text;   // empty when the stream is invalid
    std::string error;  // "token N: what is wrong"
};

DisassembleResult disassembleShader(std::span<const uint32_t> tokens);

}  // namespace tools::shasm

#pragma once
// The names of registers, usages, swizzles and masks in vs_2_0 / ps_2_0 assembly, shared by
// the assembler and the disassembler.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/d3d9/shader/instruction_set.h"
#include "platform/d3d9/shader/shader_tokens.h"

namespace tools::shasm {

using platform::d3d9::shader::DeclUsage;
using platform::d3d9::shader::RegisterType;
using platform::d3d9::shader::ShaderKind;

struct RegisterName {
    RegisterType type;
    uint32_t number;
};

// "r3", "c12", "oPos", "oT1", ... (lower case; t# in pixel shaders, a0 in vertex shaders).
std::optional<RegisterName> parseRegister(std::string_view lowerName, ShaderKind kind);
std::string registerName(RegisterType type, uint32_t number, ShaderKind kind);

// "position", "texcoord", ... as in dcl_position.
std::optional<DeclUsage> parseUsage(std::string_view lowerName);
std::string_view usageName(DeclUsage usage);

// A component letter: x y z w or r g b a.
std::optional<uint32_t> parseComponent(char letter);
char componentLetter(uint32_t component);

// ".xz" style write masks and ".wzyx" style swizzles, without the dot.
std::string writeMaskText(uint32_t mask);
std::string swizzleText(uint32_t swizzle);

}  // namespace tools::shasm

#pragma once
// The instructions the interpreters run, with their assembly names and operand shapes. The
// decoder refuses every other opcode; the assembler and disassembler share the names.
#include <cstdint>
#include <string_view>

#include "platform/d3d9/shader/shader_tokens.h"

namespace platform::d3d9::shader {

enum class ShaderKind : uint8_t { Vertex, Pixel };

struct InstructionInfo {
    Opcode opcode;
    std::string_view name;
    uint8_t sourceCount;
    bool vertex;  // allowed in vs_2_0
    bool pixel;   // allowed in ps_2_0
};

// The arithmetic and texture instructions (dcl, def, nop and the end are handled apart).
const InstructionInfo* findInstruction(Opcode opcode);
const InstructionInfo* findInstruction(std::string_view name);

constexpr bool allowedIn(const InstructionInfo& info, ShaderKind kind) {
    return kind == ShaderKind::Vertex ? info.vertex : info.pixel;
}

// Instructions that read one component of each source (the swizzled x) and replicate the
// result to every written component.
constexpr bool isScalarInstruction(Opcode opcode) {
    return opcode == Opcode::Rcp || opcode == Opcode::Rsq || opcode == Opcode::Exp ||
           opcode == Opcode::Log || opcode == Opcode::Pow;
}

// Matrix instructions: the second source names the first of `rows` consecutive registers.
constexpr uint32_t matrixRows(Opcode opcode) {
    switch (opcode) {
    case Opcode::M4x4:
        return 4;
    case Opcode::M4x3:
        return 3;
    case Opcode::M3x3:
        return 3;
    default:
        return 0;
    }
}

}  // namespace platform::d3d9::shader

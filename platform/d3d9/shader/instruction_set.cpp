#include "platform/d3d9/shader/instruction_set.h"

#include <array>

namespace platform::d3d9::shader {
namespace {

constexpr std::array<InstructionInfo, 26> kInstructions{{
    {Opcode::Mov, "mov", 1, true, true},   {Opcode::Mova, "mova", 1, true, false},
    {Opcode::Add, "add", 2, true, true},   {Opcode::Sub, "sub", 2, true, true},
    {Opcode::Mul, "mul", 2, true, true},   {Opcode::Mad, "mad", 3, true, true},
    {Opcode::Dp3, "dp3", 2, true, true},   {Opcode::Dp4, "dp4", 2, true, true},
    {Opcode::M4x4, "m4x4", 2, true, true}, {Opcode::M4x3, "m4x3", 2, true, true},
    {Opcode::M3x3, "m3x3", 2, true, true}, {Opcode::Rcp, "rcp", 1, true, true},
    {Opcode::Rsq, "rsq", 1, true, true},   {Opcode::Min, "min", 2, true, true},
    {Opcode::Max, "max", 2, true, true},   {Opcode::Slt, "slt", 2, true, false},
    {Opcode::Sge, "sge", 2, true, false},  {Opcode::Frc, "frc", 1, true, true},
    {Opcode::Abs, "abs", 1, true, true},   {Opcode::Nrm, "nrm", 1, true, true},
    {Opcode::Pow, "pow", 2, true, true},   {Opcode::Lrp, "lrp", 3, true, true},
    {Opcode::Exp, "exp", 1, true, true},   {Opcode::Log, "log", 1, true, true},
    {Opcode::Cmp, "cmp", 3, false, true},  {Opcode::Tex, "texld", 2, false, true},
}};

}  // namespace

const InstructionInfo* findInstruction(Opcode opcode) {
    for (const InstructionInfo& info : kInstructions)
        if (info.opcode == opcode) return &info;
    return nullptr;
}

const InstructionInfo* findInstruction(std::string_view name) {
    for (const InstructionInfo& info : kInstructions)
        if (info.name == name) return &info;
    return nullptr;
}

}  // namespace platform::d3d9::shader

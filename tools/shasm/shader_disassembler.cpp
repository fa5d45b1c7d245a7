#include "tools/shasm/shader_disassembler.h"

#include <bit>
#include <charconv>

#include "platform/d3d9/shader/shader_decoder.h"
#include "tools/shasm/assembly_names.h"

namespace tools::shasm {
namespace {

namespace sh = platform::d3d9::shader;
using sh::Opcode;

std::string number(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

class Printer {
public:
    explicit Printer(ShaderKind kind) : kind_(kind) {}

    std::string modifiers(uint32_t token) const {
        const uint32_t bits = (token & sh::kResultModifierMask) >> sh::kResultModifierShift;
        std::string text;
        if (bits & sh::kModifierSaturate) text += "_sat";
        if (bits & sh::kModifierPartialPrecision) text += "_pp";
        return text;
    }

    std::string destination(uint32_t token) const {
        const auto type = static_cast<RegisterType>(sh::registerTypeOf(token));
        const uint32_t registerNumber = token & sh::kRegisterNumberMask;
        const uint32_t mask = (token & sh::kWriteMaskMask) >> sh::kWriteMaskShift;
        const bool scalar = type == RegisterType::RastOut && registerNumber != sh::kRastOutPosition;
        std::string text = registerName(type, registerNumber, kind_);
        if (mask != (scalar ? 0x1u : sh::kFullWriteMask))
            text.append(".").append(writeMaskText(mask));
        return text;
    }

    // Prints the source at parameters[i] and advances i past it and its relative token.
    std::string source(std::span<const uint32_t> parameters, size_t& i) const {
        const uint32_t token = parameters[i++];
        const auto type = static_cast<RegisterType>(sh::registerTypeOf(token));
        const uint32_t registerNumber = token & sh::kRegisterNumberMask;
        std::string text;
        if (((token & sh::kSourceModifierMask) >> sh::kSourceModifierShift) ==
            sh::kSourceModifierNegate)
            text = "-";
        if (token & sh::kRelativeBit) {
            const uint32_t address = parameters[i++];
            const uint32_t component =
                sh::swizzleComponent((address & sh::kSwizzleMask) >> sh::kSwizzleShift, 0);
            text += "c[a0.";
            text += componentLetter(component);
            if (registerNumber != 0) text += " + " + std::to_string(registerNumber);
            text += "]";
        } else {
            text += registerName(type, registerNumber, kind_);
        }
        const std::string swizzle = swizzleText((token & sh::kSwizzleMask) >> sh::kSwizzleShift);
        if (!swizzle.empty()) text.append(".").append(swizzle);
        return text;
    }

    std::string dcl(std::span<const uint32_t> parameters) const {
        const uint32_t declaration = parameters[0];
        const uint32_t target = parameters[1];
        const auto type = static_cast<RegisterType>(sh::registerTypeOf(target));
        std::string text = "dcl";
        if (type == RegisterType::Sampler) {
            text += "_2d";
        } else if (kind_ == ShaderKind::Vertex) {
            text += "_";
            text += usageName(static_cast<DeclUsage>(declaration & sh::kDclUsageMask));
            const uint32_t usageIndex =
                (declaration & sh::kDclUsageIndexMask) >> sh::kDclUsageIndexShift;
            if (usageIndex != 0) text += std::to_string(usageIndex);
        }
        return text + modifiers(target) + " " + destination(target);
    }

    std::string def(std::span<const uint32_t> parameters) const {
        std::string text = "def " + registerName(RegisterType::Const,
                                                 parameters[0] & sh::kRegisterNumberMask, kind_);
        for (size_t i = 1; i < 5; ++i) text += ", " + number(std::bit_cast<float>(parameters[i]));
        return text;
    }

    std::string instruction(Opcode opcode, std::span<const uint32_t> parameters) const {
        const sh::InstructionInfo* info = sh::findInstruction(opcode);
        std::string text =
            std::string(info->name) + modifiers(parameters[0]) + " " + destination(parameters[0]);
        size_t i = 1;
        for (uint32_t s = 0; s < info->sourceCount; ++s) text += ", " + source(parameters, i);
        return text;
    }

private:
    ShaderKind kind_;
};

}  // namespace

DisassembleResult disassembleShader(std::span<const uint32_t> tokens) {
    DisassembleResult result;
    const sh::DecodeResult decoded = sh::decodeShader(tokens);
    if (!decoded.shader) {
        result.error = "token " + std::to_string(decoded.errorToken) + ": " + decoded.error;
        return result;
    }
    // The stream is valid from here on: every length and operand count has been checked.
    const Printer printer(decoded.shader->kind);
    result.text = decoded.shader->kind == ShaderKind::Vertex ? "vs_2_0\n" : "ps_2_0\n";
    size_t at = 1;
    while (tokens[at] != sh::kEndToken) {
        const uint32_t token = tokens[at];
        const auto opcode = static_cast<Opcode>(token & sh::kOpcodeMask);
        if (opcode == Opcode::Comment) {
            at += 1 + ((token & sh::kCommentLengthMask) >> sh::kCommentLengthShift);
            continue;
        }
        const size_t length = (token & sh::kLengthMask) >> sh::kLengthShift;
        const std::span<const uint32_t> parameters = tokens.subspan(at + 1, length);
        switch (opcode) {
        case Opcode::Nop:
            result.text += "nop";
            break;
        case Opcode::Dcl:
            result.text += printer.dcl(parameters);
            break;
        case Opcode::Def:
            result.text += printer.def(parameters);
            break;
        default:
            result.text += printer.instruction(opcode, parameters);
            break;
        }
        result.text += "\n";
        at += 1 + length;
    }
    return result;
}

}  // namespace tools::shasm

#include "tools/shasm/shader_assembler.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cstring>

#include "platform/d3d9/shader/shader_decoder.h"
#include "tools/shasm/assembly_names.h"

namespace tools::shasm {
namespace {

namespace sh = platform::d3d9::shader;
using sh::Opcode;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitOperands(std::string_view text) {
    std::vector<std::string_view> parts;
    if (trimmed(text).empty()) return parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ',') {
            parts.push_back(trimmed(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    return parts;
}

bool parseUnsigned(std::string_view text, uint32_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "a0.x + 8", "2 + a0.w + 3": one a0 component and any number of offsets added to `number`.
bool parseRelativeAddress(std::string_view inside, uint32_t& number, uint32_t& component) {
    bool sawAddress = false;
    size_t start = 0;
    for (size_t i = 0; i <= inside.size(); ++i) {
        if (i != inside.size() && inside[i] != '+') continue;
        const std::string_view term = trimmed(inside.substr(start, i - start));
        start = i + 1;
        uint32_t offset = 0;
        if (term.size() == 4 && term.starts_with("a0.") && !sawAddress && parseComponent(term[3])) {
            component = *parseComponent(term[3]);
            sawAddress = true;
        } else if (parseUnsigned(term, offset) && number + offset <= sh::kRegisterNumberMask) {
            number += offset;
        } else {
            return false;
        }
    }
    return sawAddress;
}

// One to four component letters; fewer than four repeat the last one.
bool parseSwizzle(std::string_view letters, uint32_t& bits) {
    if (letters.size() > 4) return false;
    bits = 0;
    uint32_t component = 0;
    for (uint32_t k = 0; k < 4; ++k) {
        if (k < letters.size()) {
            const auto parsed = parseComponent(letters[k]);
            if (!parsed) return false;
            component = *parsed;
        }
        bits |= component << (2 * k);
    }
    return true;
}

class LineAssembler {
public:
    explicit LineAssembler(std::vector<uint32_t>& tokens) : tokens_(tokens) {}

    // Returns an error message, or an empty string when the statement was assembled.
    std::string statement(std::string_view text) {
        if (!kind_) return version(lowered(text));
        const size_t space = text.find_first_of(" \t");
        const std::string mnemonic = lowered(text.substr(0, space));
        const std::vector<std::string_view> operands = splitOperands(
            space == std::string_view::npos ? std::string_view() : text.substr(space));
        if (mnemonic == "def") return def(operands);
        if (mnemonic == "nop") {
            if (!operands.empty()) return "nop takes no operands";
            emit(Opcode::Nop, {});
            return "";
        }
        if (mnemonic == "dcl" || mnemonic.starts_with("dcl_")) return dcl(mnemonic, operands);
        return instruction(mnemonic, operands);
    }

    bool started() const { return kind_.has_value(); }

private:
    std::string version(const std::string& text) {
        if (text == "vs_2_0") {
            kind_ = ShaderKind::Vertex;
        } else if (text == "ps_2_0") {
            kind_ = ShaderKind::Pixel;
        } else {
            return "expected vs_2_0 or ps_2_0 first";
        }
        tokens_.push_back(sh::versionToken(*kind_ == ShaderKind::Vertex
                                               ? sh::kVertexShaderVersionKind
                                               : sh::kPixelShaderVersionKind,
                                           2, 0));
        return "";
    }

    void emit(Opcode opcode, const std::vector<uint32_t>& parameters) {
        tokens_.push_back(static_cast<uint32_t>(opcode) |
                          (static_cast<uint32_t>(parameters.size()) << sh::kLengthShift));
        tokens_.insert(tokens_.end(), parameters.begin(), parameters.end());
    }

    std::string instruction(const std::string& mnemonic,
                            const std::vector<std::string_view>& operands) {
        const size_t underscore = mnemonic.find('_');
        const sh::InstructionInfo* info =
            sh::findInstruction(std::string_view(mnemonic).substr(0, underscore));
        if (!info) return "unknown instruction '" + mnemonic + "'";
        uint32_t modifiers = 0;
        if (std::string error = resultModifiers(mnemonic, underscore, modifiers); !error.empty())
            return error;
        if (operands.size() != 1u + info->sourceCount)
            return info->name.data() + std::string(" takes ") +
                   std::to_string(1 + info->sourceCount) + " operands";
        std::vector<uint32_t> parameters;
        if (std::string error = destination(operands[0], modifiers, parameters); !error.empty())
            return error;
        for (size_t s = 1; s < operands.size(); ++s)
            if (std::string error = source(operands[s], parameters); !error.empty()) return error;
        emit(info->opcode, parameters);
        return "";
    }

    std::string resultModifiers(const std::string& mnemonic, size_t underscore,
                                uint32_t& modifiers) {
        while (underscore != std::string::npos) {
            const size_t next = mnemonic.find('_', underscore + 1);
            const std::string_view suffix =
                std::string_view(mnemonic).substr(underscore + 1, next - underscore - 1);
            if (suffix == "sat") {
                modifiers |= sh::kModifierSaturate;
            } else if (suffix == "pp") {
                modifiers |= sh::kModifierPartialPrecision;
            } else {
                return "unknown modifier '_" + std::string(suffix) + "'";
            }
            underscore = next;
        }
        return "";
    }

    std::string dcl(const std::string& mnemonic, const std::vector<std::string_view>& operands) {
        if (operands.size() != 1) return "dcl takes one register";
        uint32_t declaration = 0x80000000;
        uint32_t modifiers = 0;
        std::string_view suffix = std::string_view(mnemonic).substr(3);
        if (suffix.ends_with("_pp")) {
            modifiers = sh::kModifierPartialPrecision;
            suffix.remove_suffix(3);
        }
        if (suffix == "_2d") {
            declaration |= sh::kTextureType2d << sh::kDclTextureTypeShift;
        } else if (!suffix.empty()) {
            suffix.remove_prefix(1);
            const size_t digits = suffix.find_first_of("0123456789");
            const auto usage = parseUsage(suffix.substr(0, digits));
            uint32_t usageIndex = 0;
            if (!usage) return "unknown dcl usage '" + std::string(suffix) + "'";
            if (digits != std::string_view::npos &&
                (!parseUnsigned(suffix.substr(digits), usageIndex) || usageIndex > 15))
                return "bad usage index in '" + mnemonic + "'";
            declaration |= static_cast<uint32_t>(*usage) | (usageIndex << sh::kDclUsageIndexShift);
        }
        std::vector<uint32_t> parameters{declaration};
        if (std::string error = destination(operands[0], modifiers, parameters); !error.empty())
            return error;
        emit(Opcode::Dcl, parameters);
        return "";
    }

    std::string def(const std::vector<std::string_view>& operands) {
        if (operands.size() != 5) return "def takes a constant register and four values";
        const auto target = parseRegister(lowered(operands[0]), *kind_);
        if (!target || target->type != RegisterType::Const)
            return "def defines a constant register c#";
        std::vector<uint32_t> parameters{sh::registerBits(RegisterType::Const, target->number) |
                                         (sh::kFullWriteMask << sh::kWriteMaskShift)};
        for (size_t i = 1; i < operands.size(); ++i) {
            std::string_view text = operands[i];
            if (text.starts_with('+')) text.remove_prefix(1);
            float value = 0;
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || end != text.data() + text.size())
                return "bad number '" + std::string(operands[i]) + "'";
            parameters.push_back(std::bit_cast<uint32_t>(value));
        }
        emit(Opcode::Def, parameters);
        return "";
    }

    std::string destination(std::string_view text, uint32_t modifiers,
                            std::vector<uint32_t>& parameters) {
        const std::string name = lowered(text);
        const size_t dot = name.find('.');
        const auto reg = parseRegister(std::string_view(name).substr(0, dot), *kind_);
        if (!reg) return "bad destination register '" + std::string(text) + "'";
        const bool scalar =
            reg->type == RegisterType::RastOut && reg->number != sh::kRastOutPosition;
        uint32_t mask = scalar ? 0x1 : sh::kFullWriteMask;
        if (dot != std::string::npos) {
            mask = 0;
            int last = -1;
            for (char letter : std::string_view(name).substr(dot + 1)) {
                const auto component = parseComponent(letter);
                if (!component || static_cast<int>(*component) <= last)
                    return "bad write mask in '" + std::string(text) + "'";
                last = static_cast<int>(*component);
                mask |= 1u << *component;
            }
            if (mask == 0) return "empty write mask in '" + std::string(text) + "'";
        }
        parameters.push_back(sh::registerBits(reg->type, reg->number) |
                             (mask << sh::kWriteMaskShift) |
                             (modifiers << sh::kResultModifierShift));
        return "";
    }

    std::string source(std::string_view text, std::vector<uint32_t>& parameters) {
        std::string name = lowered(text);
        bool negate = false;
        if (name.starts_with('-')) {
            negate = true;
            name = std::string(trimmed(std::string_view(name).substr(1)));
        }
        // Split "base[relative].swizzle".
        std::string_view rest = name;
        std::string_view relative;
        std::string_view swizzle;
        if (const size_t open = rest.find('['); open != std::string_view::npos) {
            const size_t close = rest.find(']', open);
            if (close == std::string_view::npos)
                return "missing ']' in '" + std::string(text) + "'";
            relative = rest.substr(open + 1, close - open - 1);
            const std::string_view after = rest.substr(close + 1);
            if (!after.empty() && after.front() != '.')
                return "bad source '" + std::string(text) + "'";
            if (!after.empty()) swizzle = after.substr(1);
            rest = rest.substr(0, open);
        } else if (const size_t dot = rest.find('.'); dot != std::string_view::npos) {
            swizzle = rest.substr(dot + 1);
            rest = rest.substr(0, dot);
        }

        uint32_t number = 0;
        uint32_t relativeComponent = 0;
        RegisterType type;
        if (!relative.empty() || name.find('[') != std::string::npos) {
            // "c[a0.x + 8]" or "c8[a0.x]".
            if (rest != "c") {
                const auto base = parseRegister(rest, *kind_);
                if (!base || base->type != RegisterType::Const)
                    return "relative addressing applies to constants only";
                number = base->number;
            }
            if (!parseRelativeAddress(relative, number, relativeComponent))
                return "bad relative address in '" + std::string(text) + "'";
            type = RegisterType::Const;
        } else {
            const auto reg = parseRegister(rest, *kind_);
            if (!reg) return "bad source register '" + std::string(text) + "'";
            type = reg->type;
            number = reg->number;
        }

        uint32_t swizzleBits = sh::kIdentitySwizzle;
        if (!swizzle.empty() && !parseSwizzle(swizzle, swizzleBits))
            return "bad swizzle in '" + std::string(text) + "'";
        uint32_t token = sh::registerBits(type, number) | (swizzleBits << sh::kSwizzleShift);
        if (negate) token |= sh::kSourceModifierNegate << sh::kSourceModifierShift;
        if (!relative.empty()) token |= sh::kRelativeBit;
        parameters.push_back(token);
        if (!relative.empty())
            parameters.push_back(sh::registerBits(RegisterType::Address, 0) |
                                 (sh::replicateSwizzle(relativeComponent) << sh::kSwizzleShift));
        return "";
    }

    std::vector<uint32_t>& tokens_;
    std::optional<ShaderKind> kind_;
};

}  // namespace

AssembleResult assembleShader(std::string_view text) {
    AssembleResult result;
    LineAssembler assembler(result.tokens);
    std::vector<std::pair<size_t, size_t>> lineStarts;  // (first token, line number)
    size_t lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        line = line.substr(0, std::min(line.find(';'), line.find("//")));
        line = trimmed(line);
        if (line.empty()) continue;
        lineStarts.emplace_back(result.tokens.size(), lineNumber);
        if (std::string error = assembler.statement(line); !error.empty()) {
            result.tokens.clear();
            result.error = "line " + std::to_string(lineNumber) + ": " + error;
            return result;
        }
    }
    if (!assembler.started()) {
        result.error = "line 1: expected vs_2_0 or ps_2_0 first";
        return result;
    }
    result.tokens.push_back(sh::kEndToken);

    const sh::DecodeResult decoded = sh::decodeShader(result.tokens);
    if (!decoded.shader) {
        size_t line = lineNumber;
        for (const auto& [firstToken, number] : lineStarts)
            if (firstToken <= decoded.errorToken) line = number;
        result.tokens.clear();
        result.error = "line " + std::to_string(line) + ": " + decoded.error;
    }
    return result;
}

}  // namespace tools::shasm

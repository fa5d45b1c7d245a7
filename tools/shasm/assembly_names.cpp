#include "tools/shasm/assembly_names.h"

#include <array>
#include <charconv>
#include <span>

namespace tools::shasm {
namespace {

constexpr std::array<std::string_view, platform::d3d9::shader::kDeclUsageCount> kUsageNames{
    "position", "blendweight", "blendindices", "normal", "psize", "texcoord", "tangent",
    "binormal", "tessfactor",  "positiont",    "color",  "fog",   "depth",    "sample"};

struct NamedRegister {
    std::string_view name;  // the exact name, or the prefix of a numbered register
    RegisterType type;
    bool numbered;
    int32_t fixedNumber;
};

// Longer names first so that "ofog" is not read as "o" + something.
constexpr NamedRegister kVertexRegisters[] = {
    {"opos", RegisterType::RastOut, false, 0}, {"ofog", RegisterType::RastOut, false, 1},
    {"opts", RegisterType::RastOut, false, 2}, {"od", RegisterType::AttrOut, true, 0},
    {"ot", RegisterType::TexCrdOut, true, 0},  {"a0", RegisterType::Address, false, 0},
    {"r", RegisterType::Temp, true, 0},        {"v", RegisterType::Input, true, 0},
    {"c", RegisterType::Const, true, 0},
};

constexpr NamedRegister kPixelRegisters[] = {
    {"odepth", RegisterType::DepthOut, false, 0}, {"oc", RegisterType::ColorOut, true, 0},
    {"r", RegisterType::Temp, true, 0},           {"v", RegisterType::Input, true, 0},
    {"c", RegisterType::Const, true, 0},          {"t", RegisterType::Texture, true, 0},
    {"s", RegisterType::Sampler, true, 0},
};

}  // namespace

std::optional<RegisterName> parseRegister(std::string_view name, ShaderKind kind) {
    const std::span<const NamedRegister> table =
        kind == ShaderKind::Vertex ? std::span<const NamedRegister>(kVertexRegisters)
                                   : kPixelRegisters;
    for (const NamedRegister& entry : table) {
        if (!entry.numbered) {
            if (name == entry.name)
                return RegisterName{entry.type, static_cast<uint32_t>(entry.fixedNumber)};
            continue;
        }
        if (name.size() <= entry.name.size() || name.substr(0, entry.name.size()) != entry.name)
            continue;
        const std::string_view digits = name.substr(entry.name.size());
        uint32_t number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error != std::errc() || end != digits.data() + digits.size() ||
            number > platform::d3d9::shader::kRegisterNumberMask)
            return std::nullopt;
        return RegisterName{entry.type, number};
    }
    return std::nullopt;
}

std::string registerName(RegisterType type, uint32_t number, ShaderKind kind) {
    const std::string n = std::to_string(number);
    switch (type) {
    case RegisterType::Temp:
        return "r" + n;
    case RegisterType::Input:
        return "v" + n;
    case RegisterType::Const:
        return "c" + n;
    case RegisterType::Texture:
        return kind == ShaderKind::Vertex ? "a" + n : "t" + n;
    case RegisterType::RastOut:
        return number == 0 ? "oPos" : number == 1 ? "oFog" : "oPts";
    case RegisterType::AttrOut:
        return "oD" + n;
    case RegisterType::TexCrdOut:
        return "oT" + n;
    case RegisterType::ColorOut:
        return "oC" + n;
    case RegisterType::DepthOut:
        return "oDepth";
    case RegisterType::Sampler:
        return "s" + n;
    default:
        return "?" + n;
    }
}

std::optional<DeclUsage> parseUsage(std::string_view name) {
    for (uint32_t i = 0; i < kUsageNames.size(); ++i)
        if (kUsageNames[i] == name) return static_cast<DeclUsage>(i);
    return std::nullopt;
}

std::string_view usageName(DeclUsage usage) { return kUsageNames[static_cast<uint32_t>(usage)]; }

std::optional<uint32_t> parseComponent(char letter) {
    switch (letter) {
    case 'x':
    case 'r':
        return 0;
    case 'y':
    case 'g':
        return 1;
    case 'z':
    case 'b':
        return 2;
    case 'w':
    case 'a':
        return 3;
    default:
        return std::nullopt;
    }
}

char componentLetter(uint32_t component) { return "xyzw"[component & 3]; }

std::string writeMaskText(uint32_t mask) {
    std::string text;
    for (uint32_t k = 0; k < 4; ++k)
        if (mask & (1u << k)) text += componentLetter(k);
    return text;
}

std::string swizzleText(uint32_t swizzle) {
    using platform::d3d9::shader::swizzleComponent;
    std::string text;
    for (uint32_t k = 0; k < 4; ++k) text += componentLetter(swizzleComponent(swizzle, k));
    if (text == "xyzw") return "";
    if (text[0] == text[1] && text[1] == text[2] && text[2] == text[3]) return text.substr(0, 1);
    return text;
}

}  // namespace tools::shasm

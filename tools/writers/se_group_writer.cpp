#include "tools/writers/se_group_writer.h"

namespace tools::writers {

namespace {

bool isLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

std::string seGroupValue(const std::string& value) {
    std::string quoted = "\"";
    bool plain = !value.empty();
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (isLeadByte(c) && i + 1 < value.size()) {
            // A double-byte character; its second byte is never a quote or backslash.
            quoted += c;
            quoted += value[++i];
            plain = plain && !(c == '\x81' && value[i] == '\x40');
            continue;
        }
        if (c == '"' || c == '\\') quoted += '\\';
        plain = plain && c != ' ' && c != '\t' && c != '"' && c != '\\';
        quoted += c;
    }
    return plain ? value : quoted + "\"";
}

std::string seGroupFile(const std::vector<SeGroupSection>& sections, const std::string& lineEnd) {
    std::string text;
    for (const SeGroupSection& section : sections) {
        text += section.word;
        for (const auto& [key, value] : section.pairs)
            text += " " + key + " = " + seGroupValue(value);
        text += lineEnd;
    }
    return text;
}

}  // namespace tools::writers

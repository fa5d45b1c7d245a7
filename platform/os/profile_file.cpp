#include "platform/os/profile_file.h"

#include <unistd.h>

#include <algorithm>

#include "platform/os/utf8.h"
#include "platform/os/whole_file.h"

namespace platform::os {

namespace {

bool isBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

std::u16string trimmed(std::u16string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return std::u16string(text.substr(begin, end - begin));
}

char16_t asciiLower(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

bool sameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return asciiLower(x) == asciiLower(y); });
}

std::u16string decode(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string text((bytes.size() - 2) / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto low = static_cast<unsigned char>(bytes[2 + 2 * i]);
            const auto high = static_cast<unsigned char>(bytes[3 + 2 * i]);
            text[i] = static_cast<char16_t>(low | high << 8);
        }
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return utf8ToUtf16(bytes);
}

std::string nativePath(const char16_t* path) { return path ? utf16ToUtf8(path) : std::string(); }

std::optional<ProfileText> load(const char16_t* path) {
    const std::string native = nativePath(path);
    if (native.empty()) return std::nullopt;
    const std::optional<std::string> bytes = readSmallFile(native, kProfileFileMaxBytes);
    if (!bytes) return std::nullopt;
    return ProfileText::parse(*bytes);
}

std::optional<std::u16string> lookUp(const char16_t* section, const char16_t* key,
                                     const char16_t* path) {
    if (!section || !key) return std::nullopt;
    const std::optional<ProfileText> text = load(path);
    return text ? text->find(section, key) : std::nullopt;
}

}  // namespace

ProfileText ProfileText::parse(std::string_view bytes) {
    const std::u16string text = decode(bytes);
    ProfileText profile;
    // A mark repeated after the first is no part of the first line either.
    std::size_t start = text.find_first_not_of(u'\uFEFF');
    if (start == std::u16string::npos) start = text.size();
    while (start < text.size()) {
        std::size_t end = text.find(u'\n', start);
        if (end == std::u16string::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == u'\r') --stop;
        profile.lines_.push_back(classify(text.substr(start, stop - start)));
        start = end + 1;
    }
    return profile;
}

ProfileText::Line ProfileText::classify(std::u16string text) {
    Line line;
    const std::u16string content = trimmed(text);
    line.text = std::move(text);
    if (content.empty() || content[0] == u';') return line;
    if (content[0] == u'[') {
        const std::size_t close = content.find(u']');
        line.header = true;
        line.name = trimmed(std::u16string_view(content).substr(
            1, close == std::u16string::npos ? std::u16string::npos : close - 1));
        return line;
    }
    const std::size_t equals = content.find(u'=');
    if (equals == std::u16string::npos) return line;
    line.entry = true;
    line.name = trimmed(std::u16string_view(content).substr(0, equals));
    line.value = trimmed(std::u16string_view(content).substr(equals + 1));
    const std::u16string& v = line.value;
    if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0])
        line.value = v.substr(1, v.size() - 2);
    return line;
}

std::ptrdiff_t ProfileText::findEntry(std::u16string_view section, std::u16string_view key) const {
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.header) {
            inside = sameName(line.name, section);
        } else if (inside && line.entry && sameName(line.name, key)) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

std::optional<std::u16string> ProfileText::find(std::u16string_view section,
                                                std::u16string_view key) const {
    const std::ptrdiff_t at = findEntry(section, key);
    if (at < 0) return std::nullopt;
    return lines_[static_cast<std::size_t>(at)].value;
}

void ProfileText::set(std::u16string_view section, std::u16string_view key,
                      std::u16string_view value) {
    // A line break would end the line early and turn the rest into lines of its own.
    value = value.substr(0, value.find_first_of(u"\r\n"));
    std::u16string text(key);
    text += u'=';
    text += value;
    Line line = classify(text);
    const std::ptrdiff_t at = findEntry(section, key);
    if (at >= 0) {
        lines_[static_cast<std::size_t>(at)] = std::move(line);
        return;
    }
    // After the last entry of the first section of that name (after its header when empty).
    std::ptrdiff_t insertAfter = -1;
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].header) {
            if (inside) break;
            inside = sameName(lines_[i].name, section);
            if (inside) insertAfter = static_cast<std::ptrdiff_t>(i);
        } else if (inside && lines_[i].entry) {
            insertAfter = static_cast<std::ptrdiff_t>(i);
        }
    }
    if (insertAfter >= 0) {
        lines_.insert(lines_.begin() + insertAfter + 1, std::move(line));
        return;
    }
    std::u16string header = u"[";
    header += section;
    header += u']';
    lines_.push_back(classify(std::move(header)));
    lines_.push_back(std::move(line));
}

std::string ProfileText::serialize() const {
    std::string bytes;
    for (const Line& line : lines_) {
        bytes += utf16ToUtf8(line.text);
        bytes += "\r\n";
    }
    return bytes;
}

uint32_t profileInteger(std::u16string_view value, int32_t defaultValue) {
    std::size_t at = 0;
    while (at < value.size() && isBlank(value[at])) ++at;
    if (at == value.size()) return static_cast<uint32_t>(defaultValue);
    bool negative = false;
    if (value[at] == u'+' || value[at] == u'-') negative = value[at++] == u'-';
    uint32_t result = 0;
    if (at + 1 < value.size() && value[at] == u'0' && asciiLower(value[at + 1]) == u'x') {
        for (at += 2; at < value.size(); ++at) {
            const char16_t c = asciiLower(value[at]);
            const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                              : c >= u'a' && c <= u'f' ? c - u'a' + 10
                                                       : -1;
            if (digit < 0) break;
            result = result * 16 + static_cast<uint32_t>(digit);
        }
    } else {
        for (; at < value.size() && value[at] >= u'0' && value[at] <= u'9'; ++at)
            result = result * 10 + static_cast<uint32_t>(value[at] - u'0');
    }
    return negative ? 0u - result : result;
}

std::size_t getPrivateProfileString(const char16_t* section, const char16_t* key,
                                    const char16_t* defaultValue, char16_t* output,
                                    std::size_t size, const char16_t* path) {
    if (!output || size == 0) return 0;
    const std::optional<std::u16string> found = lookUp(section, key, path);
    const std::u16string_view value = found
                                          ? std::u16string_view(*found)
                                          : std::u16string_view(defaultValue ? defaultValue : u"");
    const std::size_t count = std::min(value.size(), size - 1);
    std::copy_n(value.data(), count, output);
    output[count] = u'\0';
    return count;
}

uint32_t getPrivateProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue,
                              const char16_t* path) {
    const std::optional<std::u16string> found = lookUp(section, key, path);
    return found ? profileInteger(*found, defaultValue) : static_cast<uint32_t>(defaultValue);
}

bool writePrivateProfileString(const char16_t* section, const char16_t* key, const char16_t* value,
                               const char16_t* path) {
    const std::string native = nativePath(path);
    if (!section || !key || !value || native.empty()) return false;
    std::optional<std::string> bytes = readSmallFile(native, kProfileFileMaxBytes);
    if (!bytes) {
        // A missing file is created; one that exists but cannot be read is left alone.
        if (access(native.c_str(), F_OK) == 0) return false;
        bytes.emplace();
    }
    ProfileText text = ProfileText::parse(*bytes);
    text.set(section, key, value);
    return replaceFileContent(native, text.serialize());
}

}  // namespace platform::os

#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

// Profile (ini) files: "[section]" lines followed by "key=value" lines; lines whose first
// non-blank character is ';' are comments. Section and key names compare without regard to
// ASCII case; names and values lose the blanks around them, and a value enclosed in matching
// quotes ('"' or '\'') loses them too. Of duplicate keys the first wins. Files are read as
// UTF-8 (a byte-order mark skipped) or as UTF-16LE when they begin with its mark, with LF or
// CR LF line ends; they are written as UTF-8 without a mark and with CR LF line ends.

// The lines of a profile file, for reading and for rewriting in place.
class ProfileText {
public:
    // Decodes a file's bytes.
    static ProfileText parse(std::string_view bytes);

    // The value of the first matching key, or nullopt when there is none.
    std::optional<std::u16string> find(std::u16string_view section, std::u16string_view key) const;
    // Replaces the first matching key's value, or appends the key after the last key of its
    // section, or appends the section with the key at the end of the text.
    void set(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    // The text as written to disk.
    std::string serialize() const;

private:
    struct Line {
        std::u16string text;
        bool header = false;  // a "[section]" line; `name` holds the section's name
        bool entry = false;   // a "key=value" line; `name` holds the key
        std::u16string name;
        std::u16string value;  // of an entry: trimmed and unquoted
    };
    static Line classify(std::u16string text);
    // The index of the first entry of the key inside sections of that name, or -1.
    std::ptrdiff_t findEntry(std::u16string_view section, std::u16string_view key) const;

    std::vector<Line> lines_;
};

// Files larger than this are not profile files: reads give the defaults, writes refuse.
inline constexpr std::size_t kProfileFileMaxBytes = 16u << 20;

// The profile-file calls of the settings code, on UTF-16 system paths ('/' separators).

// Copies the value (or the default when the key is missing or the file unreadable) into the
// output, cut to size - 1 units and terminated; returns the units copied (0 when size is 0).
std::size_t getPrivateProfileString(const char16_t* section, const char16_t* key,
                                    const char16_t* defaultValue, char16_t* output,
                                    std::size_t size, const char16_t* path);
// The value read as an integer: optional sign, then "0x" and hex digits or decimal digits, up
// to the first other character, as an unsigned 32-bit value; the default when the key is
// missing or its value empty.
uint32_t getPrivateProfileInt(const char16_t* section, const char16_t* key, int32_t defaultValue,
                              const char16_t* path);
// Sets the key's value and rewrites the file through a temporary file renamed over it, so a
// crash leaves either the old or the new file. Creates the file but not its folder. False
// when the file cannot be read or written.
bool writePrivateProfileString(const char16_t* section, const char16_t* key, const char16_t* value,
                               const char16_t* path);

// The integer rule above on a value's text (for callers that hold the value already).
uint32_t profileInteger(std::u16string_view value, int32_t defaultValue);

}  // namespace platform::os

#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace platform::os {

// The Shift-JIS text of the game data is code page 932. Its lead bytes are fixed; the test never
// depends on the process locale.
constexpr bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// CP932 <-> UTF-16 and UTF-8, over glibc iconv's "CP932" table (its "SJIS" table maps 0x5C to
// the yen sign and would break '\' in paths). Safe to call from any thread.
//
// Decoding: a byte sequence CP932 does not define (a stray byte, an undefined double-byte code,
// a lead byte cut off at the end of the text) becomes one '?'. Encoding: a character CP932
// cannot represent becomes '?'.
std::u16string cp932ToUtf16(std::string_view text);
std::string utf16ToCp932(std::u16string_view text);
std::string cp932ToUtf8(std::string_view text);
std::string utf8ToCp932(std::string_view text);

// Decoding that refuses undefined sequences instead of substituting them (the behaviour of a
// multibyte-to-wide conversion that reports failure): nullopt when any sequence is undefined.
std::optional<std::u16string> cp932ToUtf16Strict(std::string_view text);

}  // namespace platform::os

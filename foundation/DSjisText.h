#pragma once
#include <algorithm>
#include <cstddef>
#include <string>

#include "platform/os/cp932.h"

namespace mirel {

// A string literal as a template argument.
template <size_t N>
struct DLiteral {
    char text[N];
    constexpr DLiteral(const char (&source)[N]) { std::copy(source, source + N, text); }
};

// The Shift-JIS (CP932) bytes of a UTF-8 literal of this source, converted on first use and
// kept for the process. The library's own messages are written in UTF-8 here and logged in
// CP932, like every other 8-bit text of the game.
template <DLiteral Utf8>
const char* DSjis() {
    static const std::string text = platform::os::utf8ToCp932(Utf8.text);
    return text.c_str();
}

}  // namespace mirel

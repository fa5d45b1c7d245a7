#pragma once
#include <string>
#include <string_view>

namespace platform::os {

// UTF-8 <-> UTF-16 (char16_t). Malformed input (bad UTF-8, an unpaired surrogate) becomes
// U+FFFD, the replacement character, so a conversion never fails.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace platform::os

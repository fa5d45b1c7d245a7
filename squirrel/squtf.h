#pragma once
// Conversions between 16-bit units and UTF-8.

#include <string>
#include <string_view>

// Surrogate pairs are combined; a lone surrogate becomes U+FFFD.
std::string sq_utf16_to_utf8(std::u16string_view s);
// Characters above U+FFFF become surrogate pairs; invalid bytes become U+FFFD.
std::u16string sq_utf8_to_utf16(std::string_view s);

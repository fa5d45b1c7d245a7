#pragma once
// Framework paths (UTF-16) as names of the default pack: resolved against a directory and
// converted to CP932 within the 128-byte limit of the engines' name buffers.
#include <cstdint>
#include <string>

inline constexpr size_t kPackNameBytes = 128;
inline constexpr size_t kPackPathUnits = 128;

// The name resolved against the directory (framework path rules), at most 127 units.
std::u16string resolvePackPath(const char16_t* directory, const char16_t* name);
// The CP932 bytes of the path, cut to 127 bytes (a lead byte is never left alone).
std::string packName(const std::u16string& path);
// The index of the default pack (the unnamed one).
uint32_t defaultPack();

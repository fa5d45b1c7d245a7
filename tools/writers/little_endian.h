#pragma once
#include <cstdint>
#include <string>

namespace tools::writers {

// Appends little-endian integers to a byte string.
inline void putU16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

inline void putU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace tools::writers

#pragma once
#include <cstdint>
#include <string>

namespace tools::writers {

// Appends the low `bytes` bytes of a value to a byte string, most significant first.
inline void putBigEndian(std::string& out, uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

inline void putU32BigEndian(std::string& out, uint32_t value) { putBigEndian(out, value, 4); }

}  // namespace tools::writers

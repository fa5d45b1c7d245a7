#include "tools/writers/scrambled_fields.h"

#include <cstring>

#include "tools/writers/little_endian.h"

namespace tools::writers {

void scrambleFields(std::string& bytes, uint32_t start) {
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(static_cast<uint8_t>(bytes[i]) ^ ((start + i) & 0xFF));
}

void ScrambledFieldWriter::append(std::string plain) {
    scrambleFields(plain, start_ + static_cast<uint32_t>(data_.size()));
    data_ += plain;
}

void ScrambledFieldWriter::u8(uint8_t value) { append(std::string(1, static_cast<char>(value))); }

void ScrambledFieldWriter::u32(uint32_t value) {
    std::string plain;
    putU32(plain, value);
    append(plain);
}

void ScrambledFieldWriter::f32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    u32(bits);
}

void ScrambledFieldWriter::bytes(const std::string& plain) { append(plain); }

void ScrambledFieldWriter::string(const std::string& plain) {
    u32(static_cast<uint32_t>(plain.size()));
    append(plain);
}

}  // namespace tools::writers

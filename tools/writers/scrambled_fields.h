#pragma once
#include <cstdint>
#include <string>

namespace tools::writers {

// The position-keyed scrambling of model, effect and shader fields (and of scrambled private
// PNG files): byte i of a run that starts at position `start` of its file or archive member
// is XORed with (start + i) mod 256. Applying it twice restores the bytes.
void scrambleFields(std::string& bytes, uint32_t start = 0);

// Field values in their scrambled form, for a writer that tracks its position in the file.
class ScrambledFieldWriter {
public:
    explicit ScrambledFieldWriter(uint32_t start = 0) : start_(start) {}

    void u8(uint8_t value);
    void u32(uint32_t value);
    void f32(float value);
    void bytes(const std::string& plain);
    // A u32 length, then the bytes.
    void string(const std::string& plain);

    // The scrambled bytes written so far.
    const std::string& data() const { return data_; }

private:
    void append(std::string plain);

    uint32_t start_;
    std::string data_;
};

}  // namespace tools::writers

#pragma once
#include <cstdint>
#include <vector>

namespace sound::mpeg::test {

// Writes bits most significant first, for frames built by the tests.
class BitWriter {
public:
    void put(uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (bitCount_ % 8 == 0) bytes_.push_back(0);
            if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (bitCount_ % 8));
            ++bitCount_;
        }
    }
    // Pads with zero bits up to `size` bytes.
    std::vector<uint8_t> finish(size_t size) {
        bytes_.resize(size, 0);
        return bytes_;
    }
    size_t bitCount() const { return bitCount_; }

private:
    std::vector<uint8_t> bytes_;
    size_t bitCount_ = 0;
};

}  // namespace sound::mpeg::test

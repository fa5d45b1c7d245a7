#pragma once
#include <cstdint>

namespace sound::mpeg {

// Reads a byte buffer most significant bit first through a 32-bit accumulator that is
// refilled byte by byte whenever it holds 24 bits or fewer. Reads past the end of the buffer
// return zero bits, while the read position keeps counting, so a caller can still tell that
// it ran over (damaged data) without the reader ever touching memory outside the buffer.
struct Mp3BitReader {
    uint32_t bitAcc = 0;  // bits loaded and not consumed, right-aligned
    int bitCount = 0;     // valid bits in bitAcc
    const uint8_t* data = nullptr;
    uint32_t size = 0;      // bytes that may be loaded from data
    uint32_t readPos = 0;   // next byte to load; may run past size
    uint32_t startPos = 0;  // where reading began
    uint32_t limitPos = 0;  // layer III: beyond this load position a granule is damaged

    // Points the reader at byte `position` of `bytes` (`byteCount` long) and empties it.
    void setPosition(const uint8_t* bytes, uint32_t byteCount, uint32_t position) {
        data = bytes;
        size = byteCount;
        readPos = position;
        startPos = position;
        bitAcc = 0;
        bitCount = 0;
    }

    void refill() {
        while (bitCount <= 24) {
            uint32_t byte = readPos < size ? data[readPos] : 0;
            ++readPos;
            bitAcc = (bitAcc << 8) | byte;
            bitCount += 8;
        }
    }

    // Makes at least n bits (n <= 24) available without consuming them.
    void EnsureBits(int n) {
        if (bitCount < n) refill();
    }

    // Takes n bits, 0 <= n <= 24.
    uint32_t GetBits(int n) {
        if (n == 0) return 0;
        if (bitCount < n) refill();
        bitCount -= n;
        uint32_t value = bitAcc >> bitCount;
        bitAcc &= (1u << bitCount) - 1;
        return value;
    }

    // Takes n bits and makes sure one more (a sign bit) is held without another refill.
    uint32_t GetLinbits(int n) {
        if (n == 0) return 0;
        if (bitCount < n + 2) refill();
        bitCount -= n;
        uint32_t value = bitAcc >> bitCount;
        bitAcc &= (1u << bitCount) - 1;
        return value;
    }

    // The next n bits (n <= 24) without consuming them.
    uint32_t PeekBits(int n) {
        if (bitCount < n) refill();
        return bitAcc >> (bitCount - n);
    }

    // Drops n bits that were peeked (n <= bitCount).
    void skipPeeked(int n) {
        if (n == 0) return;
        bitCount -= n;
        bitAcc &= (1u << bitCount) - 1;
    }

    // Bits consumed since startPos.
    int32_t bitsUsed() const { return static_cast<int32_t>((readPos - startPos) * 8) - bitCount; }
};

}  // namespace sound::mpeg

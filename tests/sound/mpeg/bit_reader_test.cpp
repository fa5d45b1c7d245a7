// The bit reader against a naive one that reads bit by bit, and its bound at the data's end.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sound/mpeg/mp3_bit_reader.h"

namespace sound::mpeg {
namespace {

struct NaiveReader {
    const std::vector<uint8_t>& data;
    size_t bit = 0;
    uint32_t get(int n) {
        uint32_t value = 0;
        for (int i = 0; i < n; ++i, ++bit) {
            const size_t byte = bit / 8;
            const uint32_t b = byte < data.size() ? (data[byte] >> (7 - bit % 8)) & 1 : 0;
            value = (value << 1) | b;
        }
        return value;
    }
    uint32_t peek(int n) {
        const size_t saved = bit;
        const uint32_t value = get(n);
        bit = saved;
        return value;
    }
};

TEST(Mp3BitReader, MatchesANaiveReaderOnRandomData) {
    std::mt19937 random(1234);
    std::vector<uint8_t> data(600);
    for (uint8_t& byte : data) byte = static_cast<uint8_t>(random());
    for (uint32_t start : {0u, 3u, 17u}) {
        Mp3BitReader reader;
        reader.setPosition(data.data(), static_cast<uint32_t>(data.size()), start);
        NaiveReader naive{data, start * 8};
        // Run well past the end: the rest reads as zeros.
        while (naive.bit < data.size() * 8 + 200) {
            const int n = static_cast<int>(random() % 25);
            switch (random() % 4) {
            case 0:
            case 1:
                ASSERT_EQ(reader.GetBits(n), naive.get(n)) << naive.bit;
                break;
            case 2:
                ASSERT_EQ(reader.GetLinbits(n % 14), naive.get(n % 14)) << naive.bit;
                break;
            default: {
                const int peek = n % 20 + 1;
                ASSERT_EQ(reader.PeekBits(peek), naive.peek(peek)) << naive.bit;
                const int drop = static_cast<int>(random() % (peek + 1));
                reader.skipPeeked(drop);
                naive.bit += static_cast<size_t>(drop);
                break;
            }
            }
            ASSERT_EQ(reader.bitsUsed(), static_cast<int32_t>(naive.bit - start * 8));
        }
    }
}

TEST(Mp3BitReader, ReadsPastTheEndAsZerosAndKeepsCounting) {
    const std::vector<uint8_t> data = {0xFF, 0xFF};
    Mp3BitReader reader;
    reader.setPosition(data.data(), 2, 0);
    EXPECT_EQ(reader.GetBits(12), 0xFFFu);
    EXPECT_EQ(reader.GetBits(8), 0xF0u);
    EXPECT_EQ(reader.GetBits(24), 0u);
    EXPECT_GT(reader.readPos, 2u);
    EXPECT_EQ(reader.bitsUsed(), 44);
}

}  // namespace
}  // namespace sound::mpeg

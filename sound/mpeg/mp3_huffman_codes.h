#pragma once
#include <cstdint>

namespace sound::mpeg {

// One big-value code table of layer III in the standard's form: `size` × `size` entries
// ((length << 20) | code word), x major and y minor.
struct Mp3HuffmanCodeTable {
    int tableNumber;
    int size;
    const uint32_t* codes;
};

inline constexpr int kBigValueCodeTableCount = 15;
inline constexpr int kHuffmanCodeLengthShift = 20;
inline constexpr uint32_t kHuffmanCodeMask = (1u << kHuffmanCodeLengthShift) - 1;

// Tables 1, 2, 3, 5 to 13, 15, 16 and 24, in that order.
extern const Mp3HuffmanCodeTable kBigValueCodeTables[kBigValueCodeTableCount];
// Count1 table A: 16 entries indexed by the quadruple vwxy as a 4-bit number.
extern const uint32_t* const kCount1CodesA;

}  // namespace sound::mpeg

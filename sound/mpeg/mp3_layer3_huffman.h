#pragma once
#include <cstdint>

#include "sound/mpeg/mp3_bit_reader.h"
#include "sound/mpeg/mp3_layer3_state.h"

namespace sound::mpeg {

// Lookup entries: a leaf holds the decoded value and the bits its code takes at this level;
// a link holds a sub-table's offset and index bits.
inline constexpr uint32_t kHuffmanLinkFlag = 0x80000000u;

constexpr uint32_t mp3HuffmanLeaf(uint32_t value, int length) {
    return value | (static_cast<uint32_t>(length) << 8);
}
constexpr uint32_t mp3HuffmanLink(int32_t offset, int bits) {
    return kHuffmanLinkFlag | (static_cast<uint32_t>(offset) << 8) | static_cast<uint32_t>(bits);
}

// Decodes one code word; the table must not be empty.
inline uint32_t mp3DecodeHuffman(Mp3BitReader& reader, const uint32_t* entries,
                                 Mp3HuffmanLookup lookup) {
    const uint32_t* table = entries + lookup.offset;
    int bits = lookup.rootBits;
    for (;;) {
        const uint32_t entry = table[reader.PeekBits(bits)];
        if (!(entry & kHuffmanLinkFlag)) {
            reader.skipPeeked(static_cast<int>((entry >> 8) & 31));
            return entry & 0xFF;
        }
        reader.skipPeeked(bits);
        bits = static_cast<int>(entry & 31);
        table = entries + ((entry & ~kHuffmanLinkFlag) >> 8);
    }
}

}  // namespace sound::mpeg

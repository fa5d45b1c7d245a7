// The layer III Huffman code tables: complete prefix codes (Kraft equality), each decoded
// through the decoder's lookup tables, and pinned by a checksum against transcription slips.
#include <gtest/gtest.h>

#include <vector>

#include "sound/mpeg/mp3_decoder.h"
#include "sound/mpeg/mp3_huffman_codes.h"
#include "sound/mpeg/mp3_layer3_huffman.h"
#include "tests/sound/mpeg/bit_writer.h"

namespace sound::mpeg {
namespace {

struct CodeList {
    int tableNumber;
    const uint32_t* codes;
    int count;
    int dimension;  // 0 for count1 table A
};

std::vector<CodeList> allTables() {
    std::vector<CodeList> tables;
    for (const Mp3HuffmanCodeTable& table : kBigValueCodeTables) {
        tables.push_back({table.tableNumber, table.codes, table.size * table.size, table.size});
    }
    tables.push_back({32, kCount1CodesA, 16, 0});
    return tables;
}

TEST(Mp3HuffmanTables, EveryTableIsACompletePrefixCode) {
    for (const CodeList& table : allTables()) {
        uint64_t kraft = 0;  // sum of 2^(32 - length): exactly 2^32 for a complete code
        for (int i = 0; i < table.count; ++i) {
            const int length = static_cast<int>(table.codes[i] >> kHuffmanCodeLengthShift);
            ASSERT_GE(length, 1) << table.tableNumber;
            ASSERT_LE(length, 19) << table.tableNumber;
            ASSERT_LT(table.codes[i] & kHuffmanCodeMask, 1u << length) << table.tableNumber;
            kraft += uint64_t{1} << (32 - length);
        }
        EXPECT_EQ(kraft, uint64_t{1} << 32) << "table " << table.tableNumber;
    }
}

TEST(Mp3HuffmanTables, LookupsDecodeEveryCodeWord) {
    auto decoder = Mp3Decoder::Create();
    const Mp3Layer3Tables& tables = decoder->layer3Tables;
    for (const CodeList& table : allTables()) {
        const Mp3HuffmanLookup lookup = table.tableNumber == 32
                                            ? tables.count1Lookup
                                            : tables.bigValueLookup[table.tableNumber];
        for (int i = 0; i < table.count; ++i) {
            const int length = static_cast<int>(table.codes[i] >> kHuffmanCodeLengthShift);
            test::BitWriter writer;
            writer.put(table.codes[i] & kHuffmanCodeMask, length);
            writer.put(0x2D5A5, 19);  // whatever follows must not matter
            const std::vector<uint8_t> bytes = writer.finish(8);
            Mp3BitReader reader;
            reader.setPosition(bytes.data(), 8, 0);
            const uint32_t value = mp3DecodeHuffman(reader, tables.huffmanEntries, lookup);
            const uint32_t expected =
                table.dimension
                    ? static_cast<uint32_t>((i / table.dimension) << 4 | (i % table.dimension))
                    : static_cast<uint32_t>(i);
            ASSERT_EQ(value, expected) << "table " << table.tableNumber << " entry " << i;
            ASSERT_EQ(reader.bitsUsed(), length) << "table " << table.tableNumber << " entry " << i;
        }
    }
    // Tables 17 to 23 and 25 to 31 share the codes of 16 and 24, with their own linbits.
    EXPECT_EQ(tables.bigValueLookup[23].offset, tables.bigValueLookup[16].offset);
    EXPECT_EQ(tables.bigValueLookup[31].offset, tables.bigValueLookup[24].offset);
    EXPECT_EQ(tables.linbits[23], 13);
    EXPECT_EQ(tables.linbits[24], 4);
    EXPECT_EQ(tables.bigValueLookup[4].rootBits, 0);
    EXPECT_EQ(tables.bigValueLookup[14].rootBits, 0);
}

TEST(Mp3HuffmanTables, ChecksumOfTheTranscribedCodes) {
    uint32_t hash = 2166136261u;  // FNV-1a over every packed entry, table by table
    for (const CodeList& table : allTables()) {
        for (int i = 0; i < table.count; ++i) {
            for (int shift = 0; shift < 32; shift += 8) {
                hash = (hash ^ ((table.codes[i] >> shift) & 0xFF)) * 16777619u;
            }
        }
    }
    EXPECT_EQ(hash, 1550583374u);
}

}  // namespace
}  // namespace sound::mpeg

// The constant tables of layer III, built once per decoder in extended precision and stored
// as floats, and the Huffman decoding tables built from the standard's code words.
#include <cmath>
#include <cstdlib>

#include "sound/mpeg/mp3_layer3_huffman.h"
#include "sound/mpeg/mp3_layer3_state.h"
#include "sound/mpeg/mp3_layers.h"

namespace sound::mpeg {
namespace {

using Real = long double;
constexpr Real kPi = 3.14159265358979323846264338327950288L;

constexpr int32_t kLinbits[32] = {0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0,  0,
                                  1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};

struct Code {
    int length;
    uint32_t word;
    uint32_t value;
};

// Adds a table of `bits` index bits for `codes` (all of them longer than `consumed` bits and
// sharing their first `consumed` bits) and returns its offset.
constexpr int32_t addLookup(Mp3Layer3Tables& tables, const Code* codes, int count, int consumed,
                            int bits) {
    const int32_t offset = tables.huffmanEntryCount;
    const int32_t size = 1 << bits;
    tables.huffmanEntryCount += size;
    uint32_t* entries = tables.huffmanEntries + offset;
    for (int i = 0; i < size; ++i) entries[i] = 0;
    for (int i = 0; i < count; ++i) {
        const int remaining = codes[i].length - consumed;
        const uint32_t tail = codes[i].word & ((1u << remaining) - 1);
        if (remaining <= bits) {
            const uint32_t first = tail << (bits - remaining);
            for (uint32_t j = 0; j < (1u << (bits - remaining)); ++j) {
                entries[first + j] = mp3HuffmanLeaf(codes[i].value, remaining);
            }
        }
    }
    // Codes longer than this level go to one sub-table per distinct prefix. A first pass finds
    // the prefixes that have any (and how many bits their sub-table needs), so that only those
    // are gathered.
    int longestBeyond[256] = {};
    for (int i = 0; i < count; ++i) {
        const int remaining = codes[i].length - consumed;
        if (remaining <= bits) continue;
        const uint32_t prefix = (codes[i].word >> (remaining - bits)) & (size - 1);
        if (remaining - bits > longestBeyond[prefix]) longestBeyond[prefix] = remaining - bits;
    }
    Code longer[256];
    for (uint32_t prefix = 0; prefix < static_cast<uint32_t>(size); ++prefix) {
        if (longestBeyond[prefix] == 0) continue;
        int n = 0;
        for (int i = 0; i < count; ++i) {
            const int remaining = codes[i].length - consumed;
            if (remaining <= bits) continue;
            if (((codes[i].word >> (remaining - bits)) & (size - 1)) != prefix) continue;
            longer[n++] = codes[i];
        }
        const int subBits = longestBeyond[prefix] < 8 ? longestBeyond[prefix] : 8;
        const int32_t sub = addLookup(tables, longer, n, consumed + bits, subBits);
        tables.huffmanEntries[offset + prefix] = mp3HuffmanLink(sub, subBits);
    }
    return offset;
}

constexpr Mp3HuffmanLookup buildLookup(Mp3Layer3Tables& tables, const uint32_t* packed, int count,
                                       int dimension) {
    Code codes[256];
    int longest = 0;
    for (int i = 0; i < count; ++i) {
        codes[i].length = static_cast<int>(packed[i] >> kHuffmanCodeLengthShift);
        codes[i].word = packed[i] & kHuffmanCodeMask;
        codes[i].value = dimension ? static_cast<uint32_t>((i / dimension) << 4 | (i % dimension))
                                   : static_cast<uint32_t>(i);
        if (codes[i].length > longest) longest = codes[i].length;
    }
    const int rootBits = longest < 8 ? longest : 8;
    return {rootBits, addLookup(tables, codes, count, 0, rootBits)};
}

constexpr void buildHuffmanTables(Mp3Layer3Tables& tables) {
    tables.huffmanEntryCount = 0;
    Mp3HuffmanLookup byNumber[25] = {};
    for (const Mp3HuffmanCodeTable& table : kBigValueCodeTables) {
        byNumber[table.tableNumber] =
            buildLookup(tables, table.codes, table.size * table.size, table.size);
    }
    for (int select = 0; select < 32; ++select) {
        int source = select;
        if (select >= 16) source = select < 24 ? 16 : 24;
        tables.bigValueLookup[select] = byNumber[source];  // 0, 4 and 14 stay empty: zeros
        tables.linbits[select] = kLinbits[select];
    }
    tables.count1Lookup = buildLookup(tables, kCount1CodesA, 16, 0);
}

// The code tables are constant, so the compiler builds the lookup tables once to prove that
// they fit; a build beyond the capacity would not compile.
constexpr int32_t huffmanEntriesNeeded() {
    Mp3Layer3Tables tables{};
    buildHuffmanTables(tables);
    return tables.huffmanEntryCount;
}
static_assert(huffmanEntriesNeeded() <= kHuffmanLookupCapacity);

}  // namespace

void mp3BuildLayer3Tables(Mp3Layer3Tables& tables) {
    for (int i = 0; i < 262; ++i)
        tables.gain[i] = static_cast<float>(std::pow(2.0L, (i - 156) / 4.0L));
    for (int s = 0; s < 2; ++s) {
        for (int p = 0; p < 4; ++p) {
            for (int f = 0; f < 32; ++f) {
                tables.scaleMultipliers[s][p][f] =
                    static_cast<float>(std::pow(2.0L, -(p + f) * (s + 1) / 2.0L));
            }
        }
    }
    for (int x = -32; x < 32; ++x) {
        tables.power[x + 32] = static_cast<float>(x * std::cbrt(static_cast<Real>(std::abs(x))));
    }
    for (int k = 0; k < 8; ++k)
        tables.subblockGain[k] = static_cast<float>(std::pow(2.0L, -2.0L * k));

    static const Real kAliasCoefficients[8] = {-0.6L,   -0.535L, -0.33L,   -0.185L,
                                               -0.095L, -0.041L, -0.0142L, -0.0037L};
    for (int i = 0; i < 8; ++i) {
        const Real c = kAliasCoefficients[i];
        const Real root = std::sqrt(1.0L + c * c);
        tables.antialiasCs[i] = static_cast<float>(1.0L / root);
        tables.antialiasCa[i] = static_cast<float>(c / root);
    }

    const Real sqrt2 = std::sqrt(2.0L);
    for (int p = 0; p < 7; ++p) {
        const Real s = std::sin(p * kPi / 12), c = std::cos(p * kPi / 12);
        const Real left = s / (s + c), right = c / (s + c);
        tables.intensityRatios[p][0] = static_cast<float>(left);
        tables.intensityRatios[p][1] = static_cast<float>(right);
        tables.intensityRatios[8 + p][0] = static_cast<float>(left * sqrt2);
        tables.intensityRatios[8 + p][1] = static_cast<float>(right * sqrt2);
    }
    tables.intensityRatios[7][0] = 1.0f;
    tables.intensityRatios[7][1] = 0.0f;
    tables.intensityRatios[15][0] = 1.0f;
    tables.intensityRatios[15][1] = 1.0f;

    for (int scale = 0; scale < 2; ++scale) {
        const Real i0 = std::pow(2.0L, scale == 0 ? -0.25L : -0.5L);
        for (int ms = 0; ms < 2; ++ms) {
            const Real h = ms ? static_cast<Real>(static_cast<float>(sqrt2)) : 1.0L;
            float(*ratios)[2] = tables.lsfIntensityRatios[scale][ms];
            ratios[63][0] = ratios[63][1] = 0.0f;
            for (int slen = 0; slen <= 5; ++slen) {
                const int start = (1 << slen) - 1;
                const int illegal = (1 << slen) - 1;
                for (int p = 0; p < illegal; ++p) {
                    Real left = h, right = h;
                    if (p % 2 == 1) left = h * std::pow(i0, static_cast<Real>((p + 1) / 2));
                    if (p != 0 && p % 2 == 0) right = h * std::pow(i0, static_cast<Real>(p / 2));
                    ratios[start + p][0] = static_cast<float>(left);
                    ratios[start + p][1] = static_cast<float>(right);
                }
                ratios[start + illegal][0] = 1.0f;
                ratios[start + illegal][1] = ms ? 1.0f : 0.0f;
            }
        }
    }

    for (int i = 0; i < 18; ++i) {
        const int output = i < 9 ? i : i + 9;
        for (int k = 0; k < 18; ++k) {
            tables.imdctLong[k][i] =
                static_cast<float>(std::cos(kPi / 72 * (2 * output + 19) * (2 * k + 1)));
        }
    }
    for (int i = 0; i < 6; ++i) {
        const int output = i < 3 ? i : i + 3;
        for (int k = 0; k < 6; ++k) {
            tables.imdctShort[k][i] =
                static_cast<float>(std::cos(kPi / 24 * (2 * output + 7) * (2 * k + 1)));
        }
    }
    for (int i = 0; i < 36; ++i) {
        const float longWindow = static_cast<float>(std::sin(kPi / 36 * (i + 0.5L)));
        tables.windows[0][i] = longWindow;
        tables.windows[1][i] = i < 18   ? longWindow
                               : i < 24 ? 1.0f
                               : i < 30 ? static_cast<float>(std::sin(kPi / 12 * (i - 18 + 0.5L)))
                                        : 0.0f;
        tables.windows[3][i] = i < 6    ? 0.0f
                               : i < 12 ? static_cast<float>(std::sin(kPi / 12 * (i - 6 + 0.5L)))
                               : i < 18 ? 1.0f
                                        : longWindow;
        tables.windows[2][i] = i < 12 ? static_cast<float>(std::sin(kPi / 12 * (i + 0.5L))) : 0.0f;
    }
    buildHuffmanTables(tables);
}

}  // namespace sound::mpeg

#pragma once
#include <cstdint>

#include "sound/mpeg/mp3_huffman_codes.h"

namespace sound::mpeg {

inline constexpr int kGranuleLines = 576;
inline constexpr int kReservoirBytes = 8192;
// Above this many held bytes, the reservoir keeps only what the next frame may refer to.
inline constexpr int kReservoirCompactAbove = 6692;
inline constexpr int kHuffmanLookupCapacity = 8192;
inline constexpr int kScalefactorSlots = 62;  // 22 long; short band b of window w at 23 + 13w + b

// A decoding table for one Huffman code: entries of `rootBits` bits, each either a value
// (x << 4 | y, or vwxy) with the code's length, or a link to a sub-table.
struct Mp3HuffmanLookup {
    int32_t rootBits;
    int32_t offset;  // first entry in Mp3Layer3Tables::huffmanEntries
};

// Constant tables of layer III, built once.
struct Mp3Layer3Tables {
    float gain[262];                   // 2^((i - 156) / 4)
    float scaleMultipliers[2][4][32];  // 2^(-(p + f)(s + 1) / 2)
    float power[64];                   // x |x|^(1/3) for x = -32 to 31, at x + 32
    float subblockGain[8];             // 2^(-2k)
    float antialiasCs[8];
    float antialiasCa[8];
    float intensityRatios[16][2];           // MPEG-1: 8 plain pairs, then 8 for M/S frames
    float lsfIntensityRatios[2][2][64][2];  // [intensity_scale][M/S][index][left, right]
    float imdctLong[18][18];  // [k][i]: cos(pi/72 (2i + 19)(2k + 1)), outputs i 0-8 and 18-26
    float imdctShort[6][6];   // [k][i]: cos(pi/24 (2i + 7)(2k + 1)), outputs i 0-2 and 6-8
    float windows[4][36];     // by block type; type 2 uses its first 12
    Mp3HuffmanLookup bigValueLookup[32];  // by table_select; rootBits 0: all zeros
    int32_t linbits[32];
    Mp3HuffmanLookup count1Lookup;
    uint32_t huffmanEntries[kHuffmanLookupCapacity];
    int32_t huffmanEntryCount;
};

// Side information and scale factors of one channel in one granule slot.
struct Mp3GranuleChannel {
    int32_t part23Length;
    int32_t bigValues;
    int32_t globalGain;
    int32_t scalefacCompress;
    int32_t windowSwitching;
    int32_t blockType;
    int32_t mixedBlock;
    int32_t tableSelect[3];
    int32_t subblockGain[3];
    int32_t region0Count;
    int32_t region1Count;
    int32_t preflag;
    int32_t scalefacScale;
    int32_t count1Table;

    uint8_t scalefactors[kScalefactorSlots];
    // LSF intensity: the first entry of the ratio block of each slot's slen (2^slen - 1).
    uint8_t intensityBlockStart[kScalefactorSlots];
    int32_t intensityScale;
    int32_t nonzeroLines;

    // Band record.
    int32_t shortBlock;
    int32_t lastNonzeroBand;      // long bands; for short blocks the largest of the windows
    int32_t firstShortBand;       // 0, 3 for mixed blocks, 12 for long blocks
    int32_t longBandCount;        // 22, mixedLongBands or 0
    int32_t lastNonzeroShort[3];  // per window

    bool isShortBlock() const { return windowSwitching && blockType == 2; }
};

// Per-stream set-up and the state that carries from frame to frame.
struct Mp3Layer3State {
    int32_t longBandEnd[22];
    int32_t shortBandEnd[13];    // three times the end line (short lines interleave by window)
    int32_t shortBandWidth[13];  // lines of one window
    int32_t channelCount;
    int32_t mixedLongBands;
    int32_t lineLimit;
    int32_t longZeroLimit;
    int32_t shortZeroLimit;
    int32_t lsf;  // 1 for MPEG-2 and 2.5

    int32_t reservoirHeld;
    int32_t mainDataStart;
    int32_t mainDataBit;
    int32_t granuleSlot;
    int32_t scfsi[2];

    Mp3GranuleChannel granules[2][2];  // [slot][channel]
    int32_t slotLines[2][2];           // [channel][slot]: lines handled by the filterbank
    int32_t huffmanValues[2][kGranuleLines];
    float spectra[2][2][kGranuleLines];  // [channel][slot]; after the filterbank the overlap
    float scratch[kGranuleLines];
    float hybrid[18 * 32];
    uint8_t reservoir[kReservoirBytes];
};

}  // namespace sound::mpeg

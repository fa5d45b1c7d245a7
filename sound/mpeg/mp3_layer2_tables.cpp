// The layer II allocation tables of the standard: tables a to d for MPEG-1 and the one table
// of the lower sampling rates, each as four groups of subbands with 4, 4, 3 and 2 allocation
// bits.
#include "sound/mpeg/mp3_layer2_tables.h"

namespace sound::mpeg {

const int32_t kLayer2ClassLevels[kLayer2ClassCount] = {
    0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535};
const int32_t kLayer2ClassBits[kLayer2ClassCount] = {
    0, 5, 7, 3, 10, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

namespace {

#define MP3_CLASSES_HIGH_A {0, 1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}
#define MP3_CLASSES_MIDDLE_A {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17}
#define MP3_CLASSES_LOW_A {0, 1, 2, 3, 4, 5, 6, 17}
#define MP3_CLASSES_TOP_A {0, 1, 2, 17}
#define MP3_CLASSES_HIGH_C {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}
#define MP3_CLASSES_LOW_C {0, 1, 2, 4, 5, 6, 7, 8}

const Mp3Layer2AllocationTable kTableA = {
    27, {{3, 4, MP3_CLASSES_HIGH_A}, {8, 4, MP3_CLASSES_MIDDLE_A}, {12, 3, MP3_CLASSES_LOW_A}, {4, 2, MP3_CLASSES_TOP_A}}};
const Mp3Layer2AllocationTable kTableB = {
    30, {{3, 4, MP3_CLASSES_HIGH_A}, {8, 4, MP3_CLASSES_MIDDLE_A}, {12, 3, MP3_CLASSES_LOW_A}, {7, 2, MP3_CLASSES_TOP_A}}};
const Mp3Layer2AllocationTable kTableC = {
    8, {{2, 4, MP3_CLASSES_HIGH_C}, {0, 4, {}}, {6, 3, MP3_CLASSES_LOW_C}, {0, 2, {}}}};
const Mp3Layer2AllocationTable kTableD = {
    12, {{2, 4, MP3_CLASSES_HIGH_C}, {0, 4, {}}, {10, 3, MP3_CLASSES_LOW_C}, {0, 2, {}}}};
const Mp3Layer2AllocationTable kTableLowRates = {
    30, {{4, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}}, {0, 4, {}}, {7, 3, MP3_CLASSES_LOW_C},
         {19, 2, {0, 1, 2, 4}}}};

#undef MP3_CLASSES_HIGH_A
#undef MP3_CLASSES_MIDDLE_A
#undef MP3_CLASSES_LOW_A
#undef MP3_CLASSES_TOP_A
#undef MP3_CLASSES_HIGH_C
#undef MP3_CLASSES_LOW_C

// Table choice by rate index (44100, 48000, 32000 Hz), two-channel (0) or single-channel
// (1) mode, and bitrate index: 'a' to 'd', or '-' where the combination is not allowed.
const char kChoice[3][2][17] = {
    {"b---c-caaabbbbb-", "bccaaabbbbb-----"},
    {"a---c-caaaaaaaa-", "accaaaaaaaa-----"},
    {"b---d-daaabbbbb-", "bddaaabbbbb-----"},
};

}  // namespace

const Mp3Layer2AllocationTable* mp3Layer2ChooseTable(int version, int rateIndex, int mode, int bitrateIndex) {
    if (version != 1) return &kTableLowRates;
    if (rateIndex < 0 || rateIndex > 2 || bitrateIndex < 0 || bitrateIndex > 15) return nullptr;
    switch (kChoice[rateIndex][mode == 3 ? 1 : 0][bitrateIndex]) {
        case 'a': return &kTableA;
        case 'b': return &kTableB;
        case 'c': return &kTableC;
        case 'd': return &kTableD;
        default: return nullptr;
    }
}

}  // namespace sound::mpeg

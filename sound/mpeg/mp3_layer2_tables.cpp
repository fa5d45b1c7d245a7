// The layer II allocation tables of the standard: tables a to d for MPEG-1 and the one table
// of the lower sampling rates, each as four groups of subbands with 4, 4, 3 and 2 allocation
// bits.
#include "sound/mpeg/mp3_layer2_tables.h"

namespace sound::mpeg {

const int32_t kLayer2ClassLevels[kLayer2ClassCount] = {
    0, 3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383, 32767, 65535};
const int32_t kLayer2ClassBits[kLayer2ClassCount] = {0, 5, 7,  3,  10, 4,  5,  6,  7,
                                                     8, 9, 10, 11, 12, 13, 14, 15, 16};

namespace {

const uint8_t kHighA[16] = {0, 1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
const uint8_t kMiddleA[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17};
const uint8_t kLowA[8] = {0, 1, 2, 3, 4, 5, 6, 17};
const uint8_t kTopA[4] = {0, 1, 2, 17};
const uint8_t kHighC[16] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const uint8_t kLowC[8] = {0, 1, 2, 4, 5, 6, 7, 8};
const uint8_t kHighLowRates[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const uint8_t kTopLowRates[4] = {0, 1, 2, 4};

const Mp3Layer2AllocationTable kTableA = {
    27, {{3, 4, kHighA}, {8, 4, kMiddleA}, {12, 3, kLowA}, {4, 2, kTopA}}};
const Mp3Layer2AllocationTable kTableB = {
    30, {{3, 4, kHighA}, {8, 4, kMiddleA}, {12, 3, kLowA}, {7, 2, kTopA}}};
const Mp3Layer2AllocationTable kTableC = {
    8, {{2, 4, kHighC}, {0, 4, nullptr}, {6, 3, kLowC}, {0, 2, nullptr}}};
const Mp3Layer2AllocationTable kTableD = {
    12, {{2, 4, kHighC}, {0, 4, nullptr}, {10, 3, kLowC}, {0, 2, nullptr}}};
const Mp3Layer2AllocationTable kTableLowRates = {
    30, {{4, 4, kHighLowRates}, {0, 4, nullptr}, {7, 3, kLowC}, {19, 2, kTopLowRates}}};

// Table choice by rate index (44100, 48000, 32000 Hz), two-channel (0) or single-channel
// (1) mode, and bitrate index: 'a' to 'd', or '-' where the combination is not allowed.
const char kChoice[3][2][17] = {
    {"b---c-caaabbbbb-", "bccaaabbbbb-----"},
    {"a---c-caaaaaaaa-", "accaaaaaaaa-----"},
    {"b---d-daaabbbbb-", "bddaaabbbbb-----"},
};

}  // namespace

const Mp3Layer2AllocationTable* mp3Layer2ChooseTable(int version, int rateIndex, int mode,
                                                     int bitrateIndex) {
    if (version != 1) return &kTableLowRates;
    if (rateIndex < 0 || rateIndex > 2 || bitrateIndex < 0 || bitrateIndex > 15) return nullptr;
    switch (kChoice[rateIndex][mode == 3 ? 1 : 0][bitrateIndex]) {
    case 'a':
        return &kTableA;
    case 'b':
        return &kTableB;
    case 'c':
        return &kTableC;
    case 'd':
        return &kTableD;
    default:
        return nullptr;
    }
}

}  // namespace sound::mpeg

// Layers I and II: bit allocation, scale factors and requantised samples into rows of 64
// floats (subband s of channel c at 2s + c with two channels), then the synthesis.
#include <cmath>
#include <cstring>

#include "sound/mpeg/mp3_decoder.h"
#include "sound/mpeg/mp3_layer2_tables.h"
#include "sound/mpeg/mp3_layers.h"

namespace sound::mpeg {
namespace {

// Subbands coded separately per channel; above it one allocation and one sample serve both.
int jointStereoBound(const Mp3FrameHeader& header, int channels) {
    if (channels == 1) return 32;
    if (header.mode == kModeJointStereo) return 4 * (header.modeExtension + 1);
    return 32;
}

void startReading(Mp3Decoder& decoder, const Mp3FrameRequest& request) {
    decoder.reader.setPosition(request.input, static_cast<uint32_t>(decoder.frameBytes),
                               4 + 2 * static_cast<uint32_t>(request.crc));
}

void setUpCommon(Mp3Decoder& decoder, const Mp3FrameInfo& info, int subbands) {
    Mp3Layer12State& state = decoder.layer12;
    state.channels = info.channels;
    state.subbands = subbands;
    int32_t limit = mp3SubbandLimit(decoder.streamRate, decoder.maxOutputRate);
    state.subbandLimit = limit < subbands ? limit : subbands;
    std::memset(state.rows, 0, sizeof(state.rows));
}

}  // namespace

int32_t mp3SubbandLimit(int32_t streamRate, int32_t maxOutputRate) {
    int64_t limit = (int64_t{streamRate} / 2 + int64_t{maxOutputRate} * 64) / streamRate;
    return limit < 31 ? static_cast<int32_t>(limit) : 31;
}

void mp3BuildLayer12Tables(Mp3Layer12Tables& tables) {
    tables.layer1Factors[0] = tables.layer1Factors[1] = 0.0f;
    for (int nb = 2; nb <= 16; ++nb)
        tables.layer1Factors[nb] = static_cast<float>(2.0L / ((1L << nb) - 1));
    tables.layer2Factors[0] = 0.0f;
    for (int c = 1; c < kLayer2ClassCount; ++c) {
        tables.layer2Factors[c] = static_cast<float>(2.0L / kLayer2ClassLevels[c]);
    }
    for (int n = 0; n < 64; ++n)
        tables.scaleFactors[n] = static_cast<float>(65536.0L * std::pow(2.0L, -n / 3.0L));
    for (int c = 0; c < 32; ++c) {
        tables.group3[c][0] = static_cast<int8_t>(c % 3 - 1);
        tables.group3[c][1] = static_cast<int8_t>(c / 3 % 3 - 1);
        tables.group3[c][2] = static_cast<int8_t>(c / 9 % 3 - 1);
    }
    for (int c = 0; c < 128; ++c) {
        tables.group5[c][0] = static_cast<int8_t>(c % 5 - 2);
        tables.group5[c][1] = static_cast<int8_t>(c / 5 % 5 - 2);
        tables.group5[c][2] = static_cast<int8_t>(c / 25 % 5 - 2);
    }
    for (int c = 0; c < 1024; ++c) {
        tables.group9[c][0] = static_cast<int16_t>(c % 9 - 4);
        tables.group9[c][1] = static_cast<int16_t>(c / 9 % 9 - 4);
        tables.group9[c][2] = static_cast<int16_t>(c / 81 % 9 - 4);
    }
}

bool mp3SetUpLayer1(Mp3Decoder& decoder, const Mp3FrameInfo& info) {
    setUpCommon(decoder, info, 32);
    decoder.layer12.table = nullptr;
    return true;
}

bool mp3SetUpLayer2(Mp3Decoder& decoder, const Mp3FrameInfo& info) {
    const Mp3Layer2AllocationTable* table =
        mp3Layer2ChooseTable(info.version, info.rateIndex, info.mode, info.bitrateIndex);
    if (table == nullptr) return false;
    setUpCommon(decoder, info, table->subbands);
    decoder.layer12.table = table;
    return true;
}

void Mp3Decoder::DecodeLayer1(Mp3Decoder& decoder, const Mp3FrameRequest& request,
                              uint8_t* output) {
    Mp3Layer12State& state = decoder.layer12;
    const Mp3Layer12Tables& tables = decoder.layer12Tables;
    Mp3BitReader& reader = decoder.reader;
    const int channels = state.channels;
    const int bound = jointStereoBound(request, channels);
    startReading(decoder, request);

    for (int sb = 0; sb < 32; ++sb) {
        if (sb < bound) {
            for (int ch = 0; ch < channels; ++ch)
                state.allocation[sb][ch] = static_cast<uint8_t>(reader.GetBits(4));
        } else {
            state.allocation[sb][0] = state.allocation[sb][1] =
                static_cast<uint8_t>(reader.GetBits(4));
        }
    }
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            const int a = state.allocation[sb][ch];
            if (a == 0) continue;
            const float scale = tables.scaleFactors[reader.GetBits(6)];
            // The forbidden allocation 15 reads its scale factor but no samples: zeros.
            state.multipliers[sb][ch][0] = a == 15 ? 0.0f : scale * tables.layer1Factors[a + 1];
        }
    }
    for (int slot = 0; slot < kLayer1Rows; ++slot) {
        float* row = state.rows + kLayer12RowFloats * slot;
        for (int sb = 0; sb < 32; ++sb) {
            const int shared = sb >= bound ? 1 : 0;
            int32_t value = 0;
            for (int ch = 0; ch < channels; ++ch) {
                const int a = state.allocation[sb][ch];
                if (!shared || ch == 0) {
                    value = (a == 0 || a == 15)
                                ? 0
                                : static_cast<int32_t>(reader.GetBits(a + 1)) - ((1 << a) - 1);
                }
                float sample = 0.0f;
                if (a != 0 && sb < state.subbandLimit)
                    sample = static_cast<float>(value) * state.multipliers[sb][ch][0];
                row[sb * channels + ch] = sample;
            }
        }
    }
    decoder.synthesis.layer12Routine(decoder.synthesis, state.rows, output, kLayer1Rows);
}

void Mp3Decoder::DecodeLayer2(Mp3Decoder& decoder, const Mp3FrameRequest& request,
                              uint8_t* output) {
    Mp3Layer12State& state = decoder.layer12;
    const Mp3Layer12Tables& tables = decoder.layer12Tables;
    Mp3BitReader& reader = decoder.reader;
    const Mp3Layer2AllocationTable& table = *state.table;
    const int channels = state.channels;
    const int bound = jointStereoBound(request, channels);
    const int subbands = state.subbands;
    startReading(decoder, request);

    int sb = 0;
    for (const Mp3Layer2Group& group : table.groups) {
        for (int i = 0; i < group.subbands; ++i, ++sb) {
            if (sb < bound) {
                for (int ch = 0; ch < channels; ++ch) {
                    state.allocation[sb][ch] = group.classes[reader.GetBits(group.allocationBits)];
                }
            } else {
                state.allocation[sb][0] = state.allocation[sb][1] =
                    group.classes[reader.GetBits(group.allocationBits)];
            }
        }
    }
    for (sb = 0; sb < subbands; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            state.scaleSelection[sb][ch] =
                state.allocation[sb][ch] ? static_cast<uint8_t>(reader.GetBits(2)) : 4;
        }
    }
    for (sb = 0; sb < subbands; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            const int c = state.allocation[sb][ch];
            if (c == 0) continue;
            const float factor = tables.layer2Factors[c];
            float* m = state.multipliers[sb][ch];
            switch (state.scaleSelection[sb][ch]) {
            case 0:
                m[0] = tables.scaleFactors[reader.GetBits(6)] * factor;
                m[1] = tables.scaleFactors[reader.GetBits(6)] * factor;
                m[2] = tables.scaleFactors[reader.GetBits(6)] * factor;
                break;
            case 1:
                m[0] = m[1] = tables.scaleFactors[reader.GetBits(6)] * factor;
                m[2] = tables.scaleFactors[reader.GetBits(6)] * factor;
                break;
            case 2:
                m[0] = m[1] = m[2] = tables.scaleFactors[reader.GetBits(6)] * factor;
                break;
            default:
                m[0] = tables.scaleFactors[reader.GetBits(6)] * factor;
                m[1] = m[2] = tables.scaleFactors[reader.GetBits(6)] * factor;
                break;
            }
        }
    }

    for (int granule = 0; granule < 12; ++granule) {
        const int part = granule / 4;
        float* rows = state.rows + 3 * kLayer12RowFloats * granule;
        for (sb = 0; sb < subbands; ++sb) {
            const int shared = sb >= bound ? 1 : 0;
            int32_t values[3] = {0, 0, 0};
            for (int ch = 0; ch < channels; ++ch) {
                const int c = state.allocation[sb][ch];
                if (c != 0 && (!shared || ch == 0)) {
                    const int bits = kLayer2ClassBits[c];
                    if (c == 1 || c == 2 || c == 4) {
                        const uint32_t code = reader.GetBits(bits);
                        for (int i = 0; i < 3; ++i) {
                            values[i] = c == 1   ? tables.group3[code][i]
                                        : c == 2 ? tables.group5[code][i]
                                                 : tables.group9[code][i];
                        }
                    } else {
                        // The three values in one refill when they fit in 24 bits.
                        if (3 * bits <= 24) reader.EnsureBits(3 * bits);
                        const int32_t middle = (kLayer2ClassLevels[c] - 1) / 2;
                        for (int i = 0; i < 3; ++i)
                            values[i] = static_cast<int32_t>(reader.GetBits(bits)) - middle;
                    }
                }
                const bool decoded = c != 0 && sb < state.subbandLimit;
                const float multiplier = state.multipliers[sb][ch][part];
                for (int i = 0; i < 3; ++i) {
                    rows[kLayer12RowFloats * i + sb * channels + ch] =
                        decoded ? static_cast<float>(values[i]) * multiplier : 0.0f;
                }
            }
        }
    }
    decoder.synthesis.layer12Routine(decoder.synthesis, state.rows, output, kLayer2Rows);
}

}  // namespace sound::mpeg

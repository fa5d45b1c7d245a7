// Layer III spectral steps: requantisation with short-block reordering, M/S and intensity
// stereo, antialias butterflies and the hybrid filterbank (IMDCT with overlap-add).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sound/mpeg/mp3_decoder.h"
#include "sound/mpeg/mp3_layer3_bands.h"
#include "sound/mpeg/mp3_layer3_spectrum.h"

namespace sound::mpeg {
namespace {

float powerOf(const float* table, int32_t x) {
    if (x >= -32 && x < 32) return table[x + 32];
    const long double magnitude = std::cbrt(static_cast<long double>(std::abs(x)));
    return static_cast<float>(magnitude * x);
}

int longBandStart(const Mp3Layer3State& state, int band) {
    return band ? state.longBandEnd[band - 1] : 0;
}
int shortBandStart(const Mp3Layer3State& state, int band) {
    return band ? state.shortBandEnd[band - 1] : 0;
}

}  // namespace

void mp3Requantize(Mp3Decoder& decoder, int channel, int slot) {
    Mp3Layer3State& state = decoder.layer3;
    const Mp3Layer3Tables& tables = decoder.layer3Tables;
    Mp3GranuleChannel& gc = state.granules[slot][channel];
    const int32_t* values = state.huffmanValues[channel];
    float* out = state.spectra[channel][slot];

    const bool shortBlock = gc.isShortBlock();
    gc.shortBlock = shortBlock ? 1 : 0;
    gc.blockType = gc.windowSwitching ? gc.blockType : 0;
    gc.longBandCount = shortBlock ? (gc.mixedBlock ? state.mixedLongBands : 0) : 22;
    gc.firstShortBand = shortBlock ? (gc.mixedBlock ? 3 : 0) : 12;
    gc.lastNonzeroBand = 0;
    gc.lastNonzeroShort[0] = gc.lastNonzeroShort[1] = gc.lastNonzeroShort[2] = 0;

    const int nonzeroLines = gc.nonzeroLines;
    const float gain = tables.gain[gc.globalGain + 6];
    const int scale = gc.scalefacScale;
    int handled = 0;
    for (int band = 0; band < gc.longBandCount && handled < nonzeroLines; ++band) {
        const int pretab = gc.preflag ? kPretab[band] : 0;
        const float factor = gain * tables.scaleMultipliers[scale][pretab][gc.scalefactors[band]];
        const int end = state.longBandEnd[band];
        int32_t any = 0;
        for (int i = longBandStart(state, band); i < end; ++i) {
            const int32_t x = values[i];
            out[i] = powerOf(tables.power, x) * factor;  // zero stays zero
            any |= x;
        }
        if (any) gc.lastNonzeroBand = band;
        handled = end;
    }
    if (!shortBlock) {
        std::memset(out + handled, 0, sizeof(float) * static_cast<size_t>(kGranuleLines - handled));
        return;
    }

    const int shortStart = handled;
    for (int band = gc.firstShortBand; band < 13 && handled < nonzeroLines; ++band) {
        const int start = shortBandStart(state, band);
        const int width = state.shortBandWidth[band];
        for (int w = 0; w < 3; ++w) {
            const float factor =
                gain * tables.subblockGain[gc.subblockGain[w]] *
                tables.scaleMultipliers[scale][0][gc.scalefactors[23 + 13 * w + band]];
            const int32_t* in = values + start + w * width;
            float* reordered = state.scratch + start + w;
            bool nonzero = false;
            for (int k = 0; k < width; ++k) {
                const int32_t x = in[k];
                reordered[3 * k] = x ? powerOf(tables.power, x) * factor : 0.0f;
                nonzero |= x != 0;
            }
            if (nonzero) gc.lastNonzeroShort[w] = band;
        }
        handled = state.shortBandEnd[band];
    }
    std::memcpy(out + shortStart, state.scratch + shortStart,
                sizeof(float) * static_cast<size_t>(handled - shortStart));
    std::memset(out + handled, 0, sizeof(float) * static_cast<size_t>(kGranuleLines - handled));
    gc.nonzeroLines = handled;
    gc.lastNonzeroBand =
        std::max({gc.lastNonzeroShort[0], gc.lastNonzeroShort[1], gc.lastNonzeroShort[2]});
}

namespace {

// The (left, right) factors of one intensity position.
struct IntensityRatio {
    float left;
    float right;
};

IntensityRatio intensityRatio(const Mp3Decoder& decoder, const Mp3GranuleChannel& right,
                              int slotIndex, bool midSide) {
    const Mp3Layer3Tables& tables = decoder.layer3Tables;
    const int position = right.scalefactors[slotIndex];
    if (decoder.layer3.lsf) {
        const float* ratio =
            tables.lsfIntensityRatios[right.intensityScale][midSide ? 1 : 0]
                                     [right.intensityBlockStart[slotIndex] + position];
        return {ratio[0], ratio[1]};
    }
    const float* ratio = tables.intensityRatios[(midSide ? 8 : 0) + std::min(position, 7)];
    return {ratio[0], ratio[1]};
}

void applyIntensity(Mp3Decoder& decoder, int slot, bool midSide) {
    Mp3Layer3State& state = decoder.layer3;
    const Mp3GranuleChannel& leftInfo = state.granules[slot][0];
    const Mp3GranuleChannel& rightInfo = state.granules[slot][1];
    float* left = state.spectra[0][slot];
    float* right = state.spectra[1][slot];
    const int leftLines = leftInfo.nonzeroLines;

    if (!rightInfo.shortBlock) {
        for (int band = rightInfo.lastNonzeroBand + 1; band <= 20; ++band) {
            const int start = longBandStart(state, band);
            if (start >= leftLines) break;
            const IntensityRatio ratio = intensityRatio(decoder, rightInfo, band, midSide);
            for (int i = start; i < state.longBandEnd[band]; ++i) {
                const float v = left[i];
                left[i] = v * ratio.left;
                right[i] = v * ratio.right;
            }
        }
        return;
    }
    for (int w = 0; w < 3; ++w) {
        const int last = state.lsf ? rightInfo.lastNonzeroShort[w] : rightInfo.lastNonzeroBand;
        for (int band = std::max(last + 1, rightInfo.firstShortBand); band <= 11; ++band) {
            const int start = shortBandStart(state, band);
            if (start >= leftLines) break;
            const IntensityRatio ratio =
                intensityRatio(decoder, rightInfo, 23 + 13 * w + band, midSide);
            for (int k = 0; k < state.shortBandWidth[band]; ++k) {
                const int i = start + 3 * k + w;
                const float v = left[i];
                left[i] = v * ratio.left;
                right[i] = v * ratio.right;
            }
        }
    }
}

}  // namespace

void mp3ProcessStereo(Mp3Decoder& decoder, int slot, bool midSide, bool intensity) {
    Mp3Layer3State& state = decoder.layer3;
    Mp3GranuleChannel& leftInfo = state.granules[slot][0];
    Mp3GranuleChannel& rightInfo = state.granules[slot][1];
    const int larger = std::max(leftInfo.nonzeroLines, rightInfo.nonzeroLines);
    if (midSide) {
        int end = larger;
        if (intensity) {
            end = rightInfo.shortBlock ? state.shortBandEnd[rightInfo.lastNonzeroBand]
                                       : state.longBandEnd[rightInfo.lastNonzeroBand];
        }
        float* left = state.spectra[0][slot];
        float* right = state.spectra[1][slot];
        for (int i = 0; i < end; ++i) {
            const float mid = left[i];
            const float side = right[i];
            left[i] = mid + side;
            right[i] = mid - side;
        }
    }
    if (intensity) applyIntensity(decoder, slot, midSide);
    leftInfo.nonzeroLines = larger;
    rightInfo.nonzeroLines = larger;
}

void mp3Antialias(Mp3Decoder& decoder, int channel, int slot) {
    Mp3Layer3State& state = decoder.layer3;
    const Mp3Layer3Tables& tables = decoder.layer3Tables;
    Mp3GranuleChannel& gc = state.granules[slot][channel];
    if (gc.shortBlock && !gc.mixedBlock) return;
    const int boundaries =
        gc.mixedBlock && gc.shortBlock ? 1 : std::min(31, (gc.nonzeroLines + 7) / 18);
    float* x = state.spectra[channel][slot];
    for (int sb = 1; sb <= boundaries; ++sb) {
        float* lower = x + 18 * sb - 1;
        float* upper = x + 18 * sb;
        for (int i = 0; i < 8; ++i) {
            const float low = lower[-i];
            const float high = upper[i];
            lower[-i] = low * tables.antialiasCs[i] - high * tables.antialiasCa[i];
            upper[i] = high * tables.antialiasCs[i] + low * tables.antialiasCa[i];
        }
    }
    gc.nonzeroLines = std::max(gc.nonzeroLines, 18 * boundaries + 8);
}

namespace {

// 36-point IMDCT of 18 lines, windowed: z[0..35].
void imdctLong(const Mp3Layer3Tables& tables, const float* in, const float* window, float* z) {
    float acc[18] = {};
    for (int k = 0; k < 18; ++k) {
        const float x = in[k];
        const float* c = tables.imdctLong[k];
        for (int i = 0; i < 18; ++i) acc[i] += x * c[i];
    }
    for (int i = 0; i < 9; ++i) {
        z[i] = acc[i] * window[i];
        z[17 - i] = -acc[i] * window[17 - i];
        z[18 + i] = acc[9 + i] * window[18 + i];
        z[35 - i] = acc[9 + i] * window[35 - i];
    }
}

// Three 12-point IMDCTs of the interleaved windows of one subband, overlapped: z[0..35].
void imdctShort(const Mp3Layer3Tables& tables, const float* in, const float* window, float* z) {
    for (int i = 0; i < 36; ++i) z[i] = 0.0f;
    for (int w = 0; w < 3; ++w) {
        float acc[6] = {};
        for (int k = 0; k < 6; ++k) {
            const float x = in[3 * k + w];
            const float* c = tables.imdctShort[k];
            for (int i = 0; i < 6; ++i) acc[i] += x * c[i];
        }
        float y[12];
        for (int i = 0; i < 3; ++i) {
            y[i] = acc[i];
            y[5 - i] = -acc[i];
            y[6 + i] = acc[3 + i];
            y[11 - i] = acc[3 + i];
        }
        float* target = z + 6 + 6 * w;
        for (int i = 0; i < 12; ++i) target[i] += y[i] * window[i];
    }
}

}  // namespace

void mp3HybridFilter(Mp3Decoder& decoder, int channel, int slot) {
    Mp3Layer3State& state = decoder.layer3;
    const Mp3Layer3Tables& tables = decoder.layer3Tables;
    const Mp3GranuleChannel& gc = state.granules[slot][channel];
    float* current = state.spectra[channel][slot];
    const float* overlap = state.spectra[channel][slot ^ 1];
    float* hybrid = state.hybrid;

    const int used = std::min(32, (gc.nonzeroLines + 17) / 18);
    const int previous = state.slotLines[channel][slot ^ 1] / 18;
    const int longSubbands = gc.shortBlock ? (gc.mixedBlock ? 2 : 0) : used;
    const float* longWindow = tables.windows[gc.shortBlock ? 0 : gc.blockType];

    float z[36];
    for (int sb = 0; sb < used; ++sb) {
        float* lines = current + 18 * sb;
        if (sb < longSubbands) {
            imdctLong(tables, lines, longWindow, z);
        } else {
            imdctShort(tables, lines, tables.windows[2], z);
        }
        const float* previousHalf = overlap + 18 * sb;
        for (int t = 0; t < 18; ++t) {
            hybrid[32 * t + sb] = z[t] + previousHalf[t];
            lines[t] = z[18 + t];
        }
    }
    for (int sb = used; sb < previous; ++sb) {
        const float* previousHalf = overlap + 18 * sb;
        float* lines = current + 18 * sb;
        for (int t = 0; t < 18; ++t) {
            hybrid[32 * t + sb] = previousHalf[t];
            lines[t] = 0.0f;
        }
    }
    const int handled = std::max(used, previous);
    for (int sb = handled; sb < 32; ++sb) {
        for (int t = 0; t < 18; ++t) hybrid[32 * t + sb] = 0.0f;
    }
    state.slotLines[channel][slot] = handled * 18;
    for (int sb = 1; sb < handled; sb += 2) {
        for (int t = 1; t < 18; t += 2) hybrid[32 * t + sb] = -hybrid[32 * t + sb];
    }
}

}  // namespace sound::mpeg

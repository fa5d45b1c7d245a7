// Layer III frames: side information, the bit reservoir, scale factors and Huffman decoding;
// the spectral steps that follow are in mp3_layer3_spectrum.cpp.
#include <algorithm>
#include <cstring>

#include "sound/mpeg/mp3_decoder.h"
#include "sound/mpeg/mp3_layer3_bands.h"
#include "sound/mpeg/mp3_layer3_huffman.h"
#include "sound/mpeg/mp3_layer3_spectrum.h"
#include "sound/mpeg/mp3_layers.h"

namespace sound::mpeg {
namespace {

void readSideInfo(Mp3Decoder& decoder, const Mp3FrameRequest& request, bool midSide,
                  int& mainDataBegin) {
    Mp3Layer3State& state = decoder.layer3;
    Mp3BitReader& reader = decoder.reader;
    const int channels = state.channelCount;
    reader.setPosition(request.input, static_cast<uint32_t>(decoder.frameBytes),
                       4 + 2 * static_cast<uint32_t>(request.crc));
    int granules;
    if (!state.lsf) {
        mainDataBegin = static_cast<int>(reader.GetBits(9));
        reader.GetBits(channels == 1 ? 5 : 3);
        for (int ch = 0; ch < channels; ++ch)
            state.scfsi[ch] = static_cast<int32_t>(reader.GetBits(4));
        granules = 2;
    } else {
        mainDataBegin = static_cast<int>(reader.GetBits(8));
        reader.GetBits(channels == 1 ? 1 : 2);
        granules = 1;
    }
    for (int gr = 0; gr < granules; ++gr) {
        const int slot = state.lsf ? state.granuleSlot : gr;
        for (int ch = 0; ch < channels; ++ch) {
            Mp3GranuleChannel& gc = state.granules[slot][ch];
            gc.part23Length = static_cast<int32_t>(reader.GetBits(12));
            gc.bigValues = static_cast<int32_t>(reader.GetBits(9));
            gc.globalGain = static_cast<int32_t>(reader.GetBits(8));
            // The 1/sqrt(2) of M/S is carried by the gain.
            if (midSide) gc.globalGain -= 2;
            gc.scalefacCompress = static_cast<int32_t>(reader.GetBits(state.lsf ? 9 : 4));
            gc.windowSwitching = static_cast<int32_t>(reader.GetBits(1));
            if (gc.windowSwitching) {
                gc.blockType = static_cast<int32_t>(reader.GetBits(2));
                gc.mixedBlock = static_cast<int32_t>(reader.GetBits(1));
                gc.tableSelect[0] = static_cast<int32_t>(reader.GetBits(5));
                gc.tableSelect[1] = static_cast<int32_t>(reader.GetBits(5));
                gc.tableSelect[2] = 0;
                for (int w = 0; w < 3; ++w)
                    gc.subblockGain[w] = static_cast<int32_t>(reader.GetBits(3));
                const bool lsfShort = state.lsf && gc.blockType == 2;
                gc.region0Count = lsfShort ? 5 : 7;
                gc.region1Count = lsfShort ? 15 : 13;
            } else {
                gc.blockType = 0;
                gc.mixedBlock = 0;
                for (int r = 0; r < 3; ++r)
                    gc.tableSelect[r] = static_cast<int32_t>(reader.GetBits(5));
                for (int w = 0; w < 3; ++w) gc.subblockGain[w] = 0;
                gc.region0Count = static_cast<int32_t>(reader.GetBits(4));
                gc.region1Count = static_cast<int32_t>(reader.GetBits(3));
            }
            gc.preflag = state.lsf ? 0 : static_cast<int32_t>(reader.GetBits(1));
            gc.scalefacScale = static_cast<int32_t>(reader.GetBits(1));
            gc.count1Table = static_cast<int32_t>(reader.GetBits(1));
        }
    }
}

void readMpeg1Scalefactors(Mp3Decoder& decoder, int gr, int ch) {
    Mp3Layer3State& state = decoder.layer3;
    Mp3BitReader& reader = decoder.reader;
    Mp3GranuleChannel& gc = state.granules[gr][ch];
    const int slen1 = kMpeg1Slen[gc.scalefacCompress][0];
    const int slen2 = kMpeg1Slen[gc.scalefacCompress][1];
    uint8_t* sf = gc.scalefactors;
    std::memset(sf, 0, kScalefactorSlots);
    if (gc.isShortBlock()) {
        int band = 0;
        if (gc.mixedBlock) {
            for (; band < 8; ++band) sf[band] = static_cast<uint8_t>(reader.GetBits(slen1));
            band = 3;
        }
        for (; band < 12; ++band) {
            const int slen = band < 6 ? slen1 : slen2;
            for (int w = 0; w < 3; ++w)
                sf[23 + 13 * w + band] = static_cast<uint8_t>(reader.GetBits(slen));
        }
        return;
    }
    static const int kGroupStart[5] = {0, 6, 11, 16, 21};
    for (int group = 0; group < 4; ++group) {
        const bool reuse = gr == 1 && (state.scfsi[ch] & (8 >> group));
        for (int band = kGroupStart[group]; band < kGroupStart[group + 1]; ++band) {
            sf[band] = reuse ? state.granules[0][ch].scalefactors[band]
                             : static_cast<uint8_t>(reader.GetBits(group < 2 ? slen1 : slen2));
        }
    }
}

void readLsfScalefactors(Mp3Decoder& decoder, int slot, int ch, bool intensityRight) {
    Mp3BitReader& reader = decoder.reader;
    Mp3GranuleChannel& gc = decoder.layer3.granules[slot][ch];
    int compress = gc.scalefacCompress;
    int slen[4] = {0, 0, 0, 0};
    int row;
    gc.preflag = 0;
    gc.intensityScale = 0;
    if (intensityRight) {
        gc.intensityScale = compress & 1;
        compress >>= 1;
        if (compress < 180) {
            slen[0] = compress / 36;
            slen[1] = compress % 36 / 6;
            slen[2] = compress % 36 % 6;
            row = 3;
        } else if (compress < 244) {
            compress -= 180;
            slen[0] = (compress % 64) >> 4;
            slen[1] = (compress % 16) >> 2;
            slen[2] = compress % 4;
            row = 4;
        } else {
            compress -= 244;
            slen[0] = compress / 3;
            slen[1] = compress % 3;
            row = 5;
        }
    } else if (compress < 400) {
        slen[0] = (compress >> 4) / 5;
        slen[1] = (compress >> 4) % 5;
        slen[2] = (compress & 15) >> 2;
        slen[3] = compress & 3;
        row = 0;
    } else if (compress < 500) {
        compress -= 400;
        slen[0] = (compress >> 2) / 5;
        slen[1] = (compress >> 2) % 5;
        slen[2] = compress & 3;
        row = 1;
    } else {
        compress -= 500;
        slen[0] = compress / 3;
        slen[1] = compress % 3;
        gc.preflag = 1;
        row = 2;
    }
    const bool shortBlock = gc.isShortBlock();
    const int column = shortBlock ? (gc.mixedBlock ? 2 : 1) : 0;
    const uint8_t* counts = kLsfScalefactorCounts[row][column];

    // The order in which scale factors arrive: long bands, then short bands window by window.
    uint8_t slots[kScalefactorSlots];
    int slotCount = 0;
    if (!shortBlock) {
        for (int band = 0; band < 21; ++band) slots[slotCount++] = static_cast<uint8_t>(band);
    } else {
        int band = 0;
        if (gc.mixedBlock) {
            for (; band < 6; ++band) slots[slotCount++] = static_cast<uint8_t>(band);
            band = 3;
        }
        for (; band < 12; ++band) {
            for (int w = 0; w < 3; ++w)
                slots[slotCount++] = static_cast<uint8_t>(23 + 13 * w + band);
        }
    }
    std::memset(gc.scalefactors, 0, kScalefactorSlots);
    std::memset(gc.intensityBlockStart, 0, kScalefactorSlots);
    int next = 0;
    for (int partition = 0; partition < 4; ++partition) {
        for (int i = 0; i < counts[partition] && next < slotCount; ++i, ++next) {
            gc.scalefactors[slots[next]] = static_cast<uint8_t>(reader.GetBits(slen[partition]));
            gc.intensityBlockStart[slots[next]] = static_cast<uint8_t>((1 << slen[partition]) - 1);
        }
    }
}

// Huffman decoding of one channel's big-value and count1 regions into huffmanValues.
void readSpectrum(Mp3Decoder& decoder, Mp3GranuleChannel& gc, int32_t* values, int32_t partStart) {
    Mp3Layer3State& state = decoder.layer3;
    const Mp3Layer3Tables& tables = decoder.layer3Tables;
    Mp3BitReader& reader = decoder.reader;
    const int lineLimit = state.lineLimit;
    const int bigLines = std::min(2 * gc.bigValues, lineLimit);
    const int region1 = std::min(state.longBandEnd[std::min(gc.region0Count, 21)], bigLines);
    const int region2 =
        std::min(state.longBandEnd[std::min(gc.region0Count + gc.region1Count + 1, 21)], bigLines);
    const int regionEnd[3] = {region1, std::max(region1, region2), bigLines};

    int line = 0;
    bool damaged = false;
    for (int region = 0; region < 3 && !damaged; ++region) {
        const int select = gc.tableSelect[region];
        const Mp3HuffmanLookup lookup = tables.bigValueLookup[select];
        const int linbits = tables.linbits[select];
        const int end = regionEnd[region];
        if (lookup.rootBits == 0) {
            for (; line < end; ++line) values[line] = 0;
            continue;
        }
        for (; line < end; line += 2) {
            const uint32_t pair = mp3DecodeHuffman(reader, tables.huffmanEntries, lookup);
            int32_t x = static_cast<int32_t>(pair >> 4);
            int32_t y = static_cast<int32_t>(pair & 15);
            if (x == 15 && linbits) x += static_cast<int32_t>(reader.GetLinbits(linbits));
            if (x && reader.GetBits(1)) x = -x;
            if (y == 15 && linbits) y += static_cast<int32_t>(reader.GetLinbits(linbits));
            if (y && reader.GetBits(1)) y = -y;
            values[line] = x;
            values[line + 1] = y;
            if (reader.readPos > reader.limitPos) {
                damaged = true;
                line += 2;
                break;
            }
        }
    }

    int nonzeroLines = line;
    if (!damaged) {
        const bool tableB = gc.count1Table != 0;
        const int32_t minimumBits = tableB ? 3 : 0;
        while (line < lineLimit &&
               gc.part23Length - (reader.bitsUsed() - partStart) > minimumBits) {
            const uint32_t quad =
                tableB ? (reader.GetBits(4) ^ 15u)
                       : mp3DecodeHuffman(reader, tables.huffmanEntries, tables.count1Lookup);
            for (int i = 0; i < 4; ++i) {
                int32_t v = static_cast<int32_t>((quad >> (3 - i)) & 1);
                if (v && reader.GetBits(1)) v = -v;
                values[line + i] = v;
            }
            line += 4;
        }
        if (line > nonzeroLines && gc.part23Length - (reader.bitsUsed() - partStart) < 0) {
            line -= 4;
            for (int i = 0; i < 4; ++i) values[line + i] = 0;
        }
        for (int pair = line - 2; pair >= nonzeroLines; pair -= 2) {
            if (values[pair] | values[pair + 1]) {
                nonzeroLines = pair + 2;
                break;
            }
        }
    }
    const int zeroLimit = gc.isShortBlock() ? state.shortZeroLimit : state.longZeroLimit;
    for (int i = std::min(nonzeroLines, zeroLimit); i < kGranuleLines; ++i) values[i] = 0;
    gc.nonzeroLines = nonzeroLines;
    if (damaged || reader.readPos > reader.limitPos) {
        std::memset(values, 0, sizeof(int32_t) * kGranuleLines);
        gc.nonzeroLines = 0;
    }
}

// M/S and intensity stereo of a frame: joint stereo, mode extension bits 1 and 0.
struct StereoModes {
    bool midSide;
    bool intensity;
};

StereoModes stereoModesOf(const Mp3Layer3State& state, const Mp3FrameRequest& request) {
    const bool joint = state.channelCount == 2 && request.mode == kModeJointStereo;
    return {joint && (request.modeExtension & 2) != 0, joint && (request.modeExtension & 1) != 0};
}

void decodeGranule(Mp3Decoder& decoder, StereoModes modes, int gr, int slot, uint8_t* output) {
    Mp3Layer3State& state = decoder.layer3;
    Mp3BitReader& reader = decoder.reader;
    const bool midSide = modes.midSide;
    const bool intensity = modes.intensity;

    for (int ch = 0; ch < state.channelCount; ++ch) {
        Mp3GranuleChannel& gc = state.granules[slot][ch];
        reader.setPosition(state.reservoir, static_cast<uint32_t>(state.reservoirHeld),
                           static_cast<uint32_t>(state.mainDataBit / 8));
        reader.GetBits(state.mainDataBit % 8);
        const int32_t partStart = reader.bitsUsed();
        state.mainDataBit += gc.part23Length;
        reader.limitPos = static_cast<uint32_t>((state.mainDataBit + 39) / 8);
        if (state.lsf) {
            readLsfScalefactors(decoder, slot, ch, intensity && ch == 1);
        } else {
            readMpeg1Scalefactors(decoder, gr, ch);
        }
        readSpectrum(decoder, gc, state.huffmanValues[ch], partStart);
    }
    for (int ch = 0; ch < state.channelCount; ++ch) mp3Requantize(decoder, ch, slot);
    if (midSide || intensity) mp3ProcessStereo(decoder, slot, midSide, intensity);
    for (int ch = 0; ch < state.channelCount; ++ch) {
        mp3Antialias(decoder, ch, slot);
        mp3HybridFilter(decoder, ch, slot);
        decoder.synthesis.layer3Routine(decoder.synthesis, state.hybrid, output, ch);
    }
}

}  // namespace

bool mp3SetUpLayer3(Mp3Decoder& decoder, const Mp3FrameInfo& info) {
    Mp3Layer3State& state = decoder.layer3;
    state.reservoirHeld = 0;
    state.mainDataStart = 0;
    state.mainDataBit = 0;
    state.granuleSlot = 0;
    state.lsf = info.version == 1 ? 0 : 1;
    state.mixedLongBands = state.lsf ? 6 : 8;
    state.channelCount = info.channels;

    const Mp3BandStarts& bands = mp3BandStarts(info.version, info.rateIndex);
    for (int b = 0; b < 22; ++b) state.longBandEnd[b] = bands.longStart[b + 1];
    for (int b = 0; b < 13; ++b) {
        state.shortBandEnd[b] = 3 * bands.shortStart[b + 1];
        state.shortBandWidth[b] = bands.shortStart[b + 1] - bands.shortStart[b];
    }
    const int32_t subbandLimit = mp3SubbandLimit(decoder.streamRate, decoder.maxOutputRate);
    const int32_t lineCap = 18 * subbandLimit;
    state.lineLimit =
        std::min(state.lsf ? state.longBandEnd[20] + 8 : state.longBandEnd[21] + 8, lineCap);
    state.longZeroLimit =
        std::min(state.lsf ? state.longBandEnd[20] : kGranuleLines, state.lineLimit);
    state.shortZeroLimit = std::min(state.lsf ? state.shortBandEnd[11] : 3 * 192, state.lineLimit);

    std::memset(state.granules, 0, sizeof(state.granules));
    std::memset(state.slotLines, 0, sizeof(state.slotLines));
    std::memset(state.spectra, 0, sizeof(state.spectra));
    std::memset(state.hybrid, 0, sizeof(state.hybrid));
    return true;
}

void Mp3Decoder::DecodeLayer3(Mp3Decoder& decoder, const Mp3FrameRequest& request,
                              uint8_t* output) {
    Mp3Layer3State& state = decoder.layer3;
    const StereoModes modes = stereoModesOf(state, request);
    int mainDataBegin = 0;
    readSideInfo(decoder, request, modes.midSide, mainDataBegin);

    if (state.reservoirHeld > kReservoirCompactAbove) {
        std::memmove(state.reservoir, state.reservoir + state.reservoirHeld - mainDataBegin,
                     static_cast<size_t>(mainDataBegin));
        state.reservoirHeld = mainDataBegin;
    }
    state.mainDataStart = state.reservoirHeld - mainDataBegin;
    const int32_t headerBytes =
        4 + 2 * request.crc + mp3SideInfoBytes(state.lsf ? 2 : 1, state.channelCount);
    const int32_t mainBytes = std::max(decoder.frameBytes - headerBytes, 0);
    const int32_t appended = std::min(mainBytes, kReservoirBytes - state.reservoirHeld);
    if (appended > 0) {
        std::memcpy(state.reservoir + state.reservoirHeld, request.input + headerBytes,
                    static_cast<size_t>(appended));
        state.reservoirHeld += appended;
    }
    if (state.mainDataStart < 0) {
        // The data this frame refers to came before the stream's start: silence.
        std::memset(output, 0, static_cast<size_t>(decoder.pcmBytesPerFrame));
        return;
    }
    state.mainDataBit = state.mainDataStart * 8;
    if (!state.lsf) {
        decodeGranule(decoder, modes, 0, 0, output);
        decodeGranule(decoder, modes, 1, 1, output + decoder.pcmBytesPerFrame / 2);
    } else {
        decodeGranule(decoder, modes, 0, state.granuleSlot, output);
        state.granuleSlot ^= 1;
    }
}

}  // namespace sound::mpeg

#include "sound/mpeg/mp3_decoder.h"

#include <cstring>

#include "sound/mpeg/mp3_layers.h"

namespace sound::mpeg {
namespace {

// kbit/s by [MPEG-1: 0, lower rates: 1][layer - 1][bitrate index].
const int16_t kBitrates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};

const int32_t kSampleRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

int32_t bitrateOf(const Mp3FrameHeader& header, int index) {
    return kBitrates[header.version == 1 ? 0 : 1][header.layer - 1][index] * 1000;
}

uint32_t readBigEndian32(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
           bytes[3];
}

// Length of a frame of `bitrate` at `rate` without padding.
int32_t unpaddedFrameBytes(const Mp3FrameHeader& header, int32_t bitrate, int32_t rate) {
    switch (header.layer) {
    case 1:
        return (bitrate * 12 / rate) * 4;
    case 2:
        return bitrate * 144 / rate;
    default:
        return header.version == 1 ? bitrate * 144 / rate : (bitrate * 144 / rate) / 2;
    }
}

int32_t paddingBytes(const Mp3FrameHeader& header) { return header.layer == 1 ? 4 : 1; }

}  // namespace

int32_t mp3SideInfoBytes(int version, int channels) {
    if (version == 1) return channels == 1 ? 17 : 32;
    return channels == 1 ? 9 : 17;
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::Create() {
    auto decoder = std::make_unique<Mp3Decoder>();
    decoder->Reset();
    return decoder;
}

void Mp3Decoder::Reset() {
    maxOutputRate = 24000;
    mp3BuildLayer12Tables(layer12Tables);
    mp3BuildLayer3Tables(layer3Tables);
    synthesis.buildTables();
}

int Mp3Decoder::ParseHeader(const uint8_t* bytes, Mp3FrameHeader& header) {
    const uint8_t b1 = bytes[1], b2 = bytes[2], b3 = bytes[3];
    const int highNibble = b1 >> 4;
    if (bytes[0] != 0xFF || (highNibble != 0xF && highNibble != 0xE)) {
        lastError = kMp3ErrorSync;
        return 0;
    }
    const int layerBits = (b1 >> 1) & 3;
    const int bitrateIndex = b2 >> 4;
    const int rateIndex = (b2 >> 2) & 3;
    if (rateIndex >= 3 || bitrateIndex < 1 || bitrateIndex > 14 || layerBits == 0) {
        lastError = kMp3ErrorField;
        return 0;
    }
    if (highNibble == 0xF) {
        header.version = (b1 & 0x08) ? 1 : 2;
    } else {
        header.version = 3;
    }
    header.layer = 4 - layerBits;
    header.crc = (b1 & 1) ? 0 : 1;
    header.bitrateIndex = bitrateIndex;
    header.rateIndex = rateIndex;
    header.padding = (b2 >> 1) & 1;
    header.privateBit = b2 & 1;
    header.mode = b3 >> 6;
    header.modeExtension = (b3 >> 4) & 3;
    header.copyright = (b3 >> 3) & 1;
    header.original = (b3 >> 2) & 1;
    header.emphasis = b3 & 3;
    return 1;
}

int Mp3Decoder::GetFrameInfo(Mp3FrameInfo& info, const uint8_t* bytes, int32_t length, int first) {
    if (length < 4) {
        lastError = kMp3ErrorData;
        return 0;
    }
    info = Mp3FrameInfo{};
    if (!ParseHeader(bytes, info)) return 0;
    const int channels = info.mode == kModeSingleChannel ? 1 : 2;

    int32_t tag = 4 + 2 * info.crc;
    if (info.layer == 3) tag += mp3SideInfoBytes(info.version, channels);
    const int32_t rate = kSampleRates[info.version - 1][info.rateIndex];
    int32_t bitrate = bitrateOf(info, info.bitrateIndex);

    // A "Xing" header lists only the fields its flags name, frames before bytes; only a frame
    // count makes the stream's length known. A "VBRI" header always sits 36 bytes into the
    // frame, whatever the side information's size.
    constexpr int32_t kVbriOffset = 36;
    bool vbr = false;
    if (length >= tag + 8 && std::memcmp(bytes + tag, "Xing", 4) == 0) {
        const uint32_t flags = readBigEndian32(bytes + tag + 4);
        if ((flags & 3) == 0) {
            lastError = kMp3ErrorField;
            return 0;
        }
        int32_t field = tag + 8;
        if ((flags & 1) && length >= field + 4) {
            info.vbrFrames = static_cast<int32_t>(readBigEndian32(bytes + field));
            field += 4;
            vbr = true;
        }
        if ((flags & 2) && length >= field + 4)
            info.vbrBytes = static_cast<int32_t>(readBigEndian32(bytes + field));
    } else if (length >= kVbriOffset + 18 && std::memcmp(bytes + kVbriOffset, "VBRI", 4) == 0) {
        info.vbrBytes = static_cast<int32_t>(readBigEndian32(bytes + kVbriOffset + 10));
        info.vbrFrames = static_cast<int32_t>(readBigEndian32(bytes + kVbriOffset + 14));
        vbr = true;
    }

    int32_t samples = info.layer == 1 ? 384 : 1152;
    if (info.layer == 3 && info.version != 1) samples /= 2;
    const int32_t padded =
        unpaddedFrameBytes(info, bitrate, rate) + info.padding * paddingBytes(info);
    if (vbr) {
        int32_t lowest = 0, highest = 0;
        for (int index = 1; index <= 14; ++index) {
            const int32_t candidate = bitrateOf(info, index);
            if (lowest == 0 || candidate < lowest) lowest = candidate;
            if (candidate > highest) highest = candidate;
        }
        info.frameBytesPadded = padded;
        info.minFrameBytes = unpaddedFrameBytes(info, lowest, rate);
        info.maxFrameBytes = unpaddedFrameBytes(info, highest, rate) + paddingBytes(info);
    } else {
        info.minFrameBytes = unpaddedFrameBytes(info, bitrate, rate);
        info.maxFrameBytes = info.minFrameBytes + paddingBytes(info);
    }
    info.channels = channels;
    info.bitsPerSample = 16;
    info.pcmBytesPerFrame = samples * channels * 2;
    info.sampleRate = rate;
    info.bitrate = vbr ? 0 : bitrate;
    if (first) {
        streamRate = rate;
        pcmBytesPerFrame = info.pcmBytesPerFrame;
    }
    return 1;
}

int Mp3Decoder::Start(const uint8_t* bytes, int32_t length) {
    if (length < kMp3StartBytes) {
        lastError = kMp3ErrorData;
        return 0;
    }
    Mp3FrameInfo info;
    if (!GetFrameInfo(info, bytes, length, 1)) return 0;
    synthesis.clear();
    synthesis.chooseRoutines(info.channels);
    bool ready = false;
    switch (info.layer) {
    case 1:
        ready = mp3SetUpLayer1(*this, info);
        layerRoutine = DecodeLayer1;
        break;
    case 2:
        ready = mp3SetUpLayer2(*this, info);
        layerRoutine = DecodeLayer2;
        break;
    default:
        ready = mp3SetUpLayer3(*this, info);
        layerRoutine = DecodeLayer3;
        break;
    }
    if (!ready) {
        layerRoutine = nullptr;
        return 0;
    }
    streamVersion = info.version;
    streamLayer = info.layer;
    streamRateIndex = info.rateIndex;
    return 1;
}

int Mp3Decoder::DecodeFrame(Mp3FrameRequest& request) {
    if (request.inputBytes <= 4) {
        lastError = kMp3ErrorData;
        return 0;
    }
    Mp3FrameHeader header;
    if (!ParseHeader(request.input, header)) return 0;
    // Lengths and layouts follow the first frame: a frame of another version, layer or rate
    // is damaged (its length would not fit the reservoir's bounds).
    if (layerRoutine == nullptr || header.version != streamVersion || header.layer != streamLayer ||
        header.rateIndex != streamRateIndex) {
        lastError = kMp3ErrorField;
        return 0;
    }
    const int32_t bitrate = bitrateOf(header, header.bitrateIndex);
    const int32_t length =
        unpaddedFrameBytes(header, bitrate, streamRate) + header.padding * paddingBytes(header);
    if (request.inputBytes < length) {
        lastError = kMp3ErrorData;
        return 0;
    }
    if (request.output == nullptr || request.outputBytes < pcmBytesPerFrame) {
        lastError = kMp3ErrorData;
        return 0;
    }
    static_cast<Mp3FrameHeader&>(request) = header;
    request.bitrate = bitrate;
    frameBytes = length;
    layerRoutine(*this, request, request.output);
    request.inputBytes = frameBytes;
    request.outputBytes = pcmBytesPerFrame;
    return 1;
}

}  // namespace sound::mpeg

// Frame headers, frame lengths, VBR headers, the start of decoding and frame requests.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sound/mpeg/mp3_decoder.h"

namespace sound::mpeg {
namespace {

std::vector<uint8_t> frameBytes(uint8_t b1, uint8_t b2, uint8_t b3, size_t size = 2048) {
    std::vector<uint8_t> bytes(size, 0);
    bytes[0] = 0xFF;
    bytes[1] = b1;
    bytes[2] = b2;
    bytes[3] = b3;
    return bytes;
}

TEST(Mp3FrameHeader, SplitsTheFieldsAndTheVersion) {
    auto decoder = Mp3Decoder::Create();
    Mp3FrameHeader header;
    // MPEG-1 layer III, no CRC, 128 kbit/s, 44.1 kHz, padding, private, joint stereo (M/S),
    // copyright, original, emphasis 1.
    const uint8_t bytes[4] = {0xFF, 0xFB, 0x93, 0x6D};
    ASSERT_EQ(decoder->ParseHeader(bytes, header), 1);
    EXPECT_EQ(header.version, 1);
    EXPECT_EQ(header.layer, 3);
    EXPECT_EQ(header.crc, 0);
    EXPECT_EQ(header.bitrateIndex, 9);
    EXPECT_EQ(header.rateIndex, 0);
    EXPECT_EQ(header.padding, 1);
    EXPECT_EQ(header.privateBit, 1);
    EXPECT_EQ(header.mode, 1);
    EXPECT_EQ(header.modeExtension, 2);
    EXPECT_EQ(header.copyright, 1);
    EXPECT_EQ(header.original, 1);
    EXPECT_EQ(header.emphasis, 1);

    struct VersionCase {
        uint8_t b1;
        int version;
        int layer;
        int crc;
    };
    // An 11-bit sync (high nibble 0xE) is MPEG-2.5 whatever the ID bit says.
    const VersionCase cases[] = {{0xFF, 1, 1, 0}, {0xFC, 1, 2, 1}, {0xF3, 2, 3, 0},
                                 {0xE3, 3, 3, 0}, {0xEB, 3, 3, 0}, {0xEA, 3, 3, 1}};
    for (const VersionCase& c : cases) {
        const uint8_t b[4] = {0xFF, c.b1, 0x90, 0x00};
        ASSERT_EQ(decoder->ParseHeader(b, header), 1) << int(c.b1);
        EXPECT_EQ(header.version, c.version) << int(c.b1);
        EXPECT_EQ(header.layer, c.layer) << int(c.b1);
        EXPECT_EQ(header.crc, c.crc) << int(c.b1);
    }
}

TEST(Mp3FrameHeader, RefusesBadSyncAndFieldsWithTheirCodes) {
    struct BadCase {
        uint8_t b0, b1, b2;
        int32_t error;
    };
    const BadCase cases[] = {
        {0xFE, 0xFB, 0x90, kMp3ErrorSync},   // first byte
        {0xFF, 0xDB, 0x90, kMp3ErrorSync},   // high nibble 0xD
        {0xFF, 0xFB, 0x00, kMp3ErrorField},  // free format (bitrate index 0)
        {0xFF, 0xFB, 0xF0, kMp3ErrorField},  // bitrate index 15
        {0xFF, 0xFB, 0x9C, kMp3ErrorField},  // rate index 3
        {0xFF, 0xF9, 0x90, kMp3ErrorField},  // layer bits 0
        {0xFF, 0xE8, 0x90, kMp3ErrorField},  // MPEG-2.5 sync, ID set, layer bits 0
    };
    for (const BadCase& c : cases) {
        auto decoder = Mp3Decoder::Create();
        Mp3FrameHeader header;
        const uint8_t b[4] = {c.b0, c.b1, c.b2, 0};
        EXPECT_EQ(decoder->ParseHeader(b, header), 0);
        EXPECT_EQ(decoder->lastError, c.error) << int(c.b0) << " " << int(c.b1) << " " << int(c.b2);
    }
}

TEST(Mp3FrameInfo, FrameLengthsSamplesAndFormat) {
    struct LengthCase {
        uint8_t b1, b2, b3;
        int32_t minBytes, maxBytes, pcmBytes, rate, channels;
    };
    const LengthCase cases[] = {
        {0xFB, 0x90, 0x00, 417, 418, 4608, 44100, 2},  // MPEG-1 III 128 kbit/s 44.1 kHz
        {0xF3, 0x80, 0xC0, 208, 209, 1152, 22050, 1},  // MPEG-2 III 64 kbit/s 22.05 kHz mono
        {0xE3, 0x18, 0x00, 72, 73, 2304, 8000, 2},     // MPEG-2.5 III 8 kbit/s 8 kHz
        {0xFD, 0xA4, 0x00, 576, 577, 4608, 48000, 2},  // MPEG-1 II 192 kbit/s 48 kHz
        {0xFF, 0x10, 0xC0, 32, 36, 768, 44100, 1},     // MPEG-1 I 32 kbit/s 44.1 kHz mono
    };
    for (const LengthCase& c : cases) {
        auto decoder = Mp3Decoder::Create();
        const std::vector<uint8_t> bytes = frameBytes(c.b1, c.b2, c.b3);
        Mp3FrameInfo info;
        ASSERT_EQ(decoder->GetFrameInfo(info, bytes.data(), static_cast<int32_t>(bytes.size()), 1),
                  1);
        EXPECT_EQ(info.minFrameBytes, c.minBytes) << int(c.b1) << " " << int(c.b2);
        EXPECT_EQ(info.maxFrameBytes, c.maxBytes) << int(c.b1) << " " << int(c.b2);
        EXPECT_EQ(info.pcmBytesPerFrame, c.pcmBytes);
        EXPECT_EQ(info.sampleRate, c.rate);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.bitsPerSample, 16);
        EXPECT_EQ(info.frameBytesPadded, 0);
        EXPECT_EQ(decoder->streamRate, c.rate);
        EXPECT_EQ(decoder->pcmBytesPerFrame, c.pcmBytes);
    }
}

void putBigEndian(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

TEST(Mp3FrameInfo, XingHeaderFieldsFollowItsFlags) {
    // MPEG-1 layer III stereo: the tag lies 4 + 32 bytes into the frame; the fields named by
    // the flags follow it in order, frames before bytes.
    struct Case {
        uint32_t flags;
        int32_t frames, bytes, bitrate;
    } cases[] = {
        {0x01, 1234, 0, 0},       // frames only: the next word is not a byte count
        {0x02, 0, 1234, 128000},  // bytes only: no length, so the bitrate stands
        {0x03, 1234, 567890, 0},
        {0x0F, 1234, 567890, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = frameBytes(0xFB, 0x92, 0x00);
        std::memcpy(bytes.data() + 36, "Xing", 4);
        putBigEndian(bytes, 40, c.flags);
        putBigEndian(bytes, 44, 1234);
        putBigEndian(bytes, 48, 567890);
        auto decoder = Mp3Decoder::Create();
        Mp3FrameInfo info;
        ASSERT_EQ(decoder->GetFrameInfo(info, bytes.data(), 2048, 0), 1) << c.flags;
        EXPECT_EQ(info.bitrate, c.bitrate) << c.flags;
        EXPECT_EQ(info.vbrFrames, c.frames) << c.flags;
        EXPECT_EQ(info.vbrBytes, c.bytes) << c.flags;
        if (c.bitrate == 0) {
            EXPECT_EQ(info.frameBytesPadded, 418);
            EXPECT_EQ(info.minFrameBytes, 104);   // 32 kbit/s
            EXPECT_EQ(info.maxFrameBytes, 1045);  // 320 kbit/s, padded
        }
    }
    std::vector<uint8_t> bytes = frameBytes(0xFB, 0x92, 0x00);
    std::memcpy(bytes.data() + 36, "Xing", 4);
    putBigEndian(bytes, 40, 0x0C);  // table of contents and quality only
    auto decoder = Mp3Decoder::Create();
    Mp3FrameInfo info;
    EXPECT_EQ(decoder->GetFrameInfo(info, bytes.data(), 2048, 0), 0);
    EXPECT_EQ(decoder->lastError, kMp3ErrorField);
}

TEST(Mp3FrameInfo, VbriHeaderIsLookedFor36BytesIntoTheFrame) {
    // MPEG-1 layer III single channel: side information of 17 bytes ends 21 bytes in, but the
    // tag is written at 36 in every stream.
    for (const size_t at : {size_t{21}, size_t{36}}) {
        std::vector<uint8_t> bytes = frameBytes(0xFB, 0x90, 0xC0);
        std::memcpy(bytes.data() + at, "VBRI", 4);
        putBigEndian(bytes, at + 10, 99999);
        putBigEndian(bytes, at + 14, 321);
        auto decoder = Mp3Decoder::Create();
        Mp3FrameInfo info;
        ASSERT_EQ(decoder->GetFrameInfo(info, bytes.data(), 2048, 0), 1);
        const bool found = at == 36;
        EXPECT_EQ(info.vbrFrames, found ? 321 : 0) << at;
        EXPECT_EQ(info.vbrBytes, found ? 99999 : 0) << at;
        EXPECT_EQ(info.bitrate, found ? 0 : 128000) << at;
    }
}

TEST(Mp3Decoder, StartNeeds156BytesAndMayBeRepeated) {
    const std::vector<uint8_t> bytes = frameBytes(0xFB, 0x90, 0x00);
    auto decoder = Mp3Decoder::Create();
    EXPECT_EQ(decoder->Start(bytes.data(), 155), 0);
    EXPECT_EQ(decoder->lastError, kMp3ErrorData);
    EXPECT_EQ(decoder->Start(bytes.data(), 156), 1);
    EXPECT_EQ(decoder->lastError, kMp3ErrorData);  // never cleared
}

TEST(Mp3Decoder, FrameRequestsTakeExactlyTheFrame) {
    // Two silent MPEG-1 layer III frames of 417 bytes each.
    std::vector<uint8_t> stream(834, 0);
    for (size_t at : {size_t{0}, size_t{417}}) {
        stream[at] = 0xFF;
        stream[at + 1] = 0xFB;
        stream[at + 2] = 0x90;
    }
    auto decoder = Mp3Decoder::Create();
    decoder->maxOutputRate = 44100;
    ASSERT_EQ(decoder->Start(stream.data(), 834), 1);
    std::vector<uint8_t> pcm(4608, 0x55);
    Mp3FrameRequest request;
    request.input = stream.data();
    request.inputBytes = 416;
    request.output = pcm.data();
    request.outputBytes = 4608;
    EXPECT_EQ(decoder->DecodeFrame(request), 0);
    EXPECT_EQ(decoder->lastError, kMp3ErrorData);
    request.inputBytes = 4;
    EXPECT_EQ(decoder->DecodeFrame(request), 0);
    EXPECT_EQ(decoder->lastError, kMp3ErrorData);

    request.inputBytes = 417;
    ASSERT_EQ(decoder->DecodeFrame(request), 1);
    EXPECT_EQ(request.inputBytes, 417);
    EXPECT_EQ(request.outputBytes, 4608);
    EXPECT_EQ(decoder->frameBytes, 417);
    for (uint8_t byte : pcm) ASSERT_EQ(byte, 0);
}

TEST(Mp3Decoder, RefusesFramesThatDisagreeWithTheStream) {
    // An 8 kHz MPEG-2.5 stream, then a header claiming MPEG-1 at 320 kbit/s: with the
    // stream's rate its length would overrun the reservoir. It is refused as damaged.
    std::vector<uint8_t> stream(8192, 0);
    stream[0] = 0xFF;
    stream[1] = 0xE3;
    stream[2] = 0x18;  // 8 kbit/s, 8 kHz
    auto decoder = Mp3Decoder::Create();
    decoder->maxOutputRate = 8000;
    ASSERT_EQ(decoder->Start(stream.data(), 8192), 1);
    const int32_t held = decoder->layer3.reservoirHeld;
    stream[1] = 0xFB;
    stream[2] = 0xE0;  // MPEG-1, 320 kbit/s
    std::vector<uint8_t> pcm(kMp3MaxPcmBytesPerFrame);
    Mp3FrameRequest request;
    request.input = stream.data();
    request.inputBytes = 8192;
    request.output = pcm.data();
    request.outputBytes = static_cast<int32_t>(pcm.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(decoder->DecodeFrame(request), 0);
        EXPECT_EQ(decoder->lastError, kMp3ErrorField);
    }
    EXPECT_EQ(decoder->layer3.reservoirHeld, held);
    stream[1] = 0xE5;  // layer II
    EXPECT_EQ(decoder->DecodeFrame(request), 0);
    stream[1] = 0xE3;
    stream[2] = 0x14;  // 12 kHz
    EXPECT_EQ(decoder->DecodeFrame(request), 0);
    EXPECT_EQ(decoder->lastError, kMp3ErrorField);
}

}  // namespace
}  // namespace sound::mpeg

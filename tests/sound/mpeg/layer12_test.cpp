// Layers I and II: synthetic layer I frames (no Debian encoder makes them) compared with
// libmpg123's decoding, the dropped top subband, joint stereo, and the layer II table choice.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sound/mpeg/mp3_decoder.h"
#include "sound/mpeg/mp3_layer2_tables.h"
#include "tests/sound/mpeg/bit_writer.h"
#include "tests/sound/mpeg/mpg123_reference.h"
#include "tests/sound/mpeg/stream_comparison.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/mpegdec/mpeg_stream.h"

namespace sound::mpeg {
namespace {

constexpr int kLayer1FrameBytes = 416;  // 384 kbit/s at 44.1 kHz, unpadded

// Allocation values per subband and channel, the same for every frame.
struct Layer1Plan {
    int mode = 0;
    int modeExtension = 0;
    int channels = 2;
    int allocation[32][2] = {};
};

std::vector<uint8_t> layer1Frame(const Layer1Plan& plan, std::mt19937& random) {
    test::BitWriter writer;
    writer.put(0xFFFFC0, 24);  // MPEG-1 layer I, no CRC, 384 kbit/s, 44.1 kHz
    writer.put(static_cast<uint32_t>(plan.mode << 6 | plan.modeExtension << 4), 8);
    const int bound = plan.channels == 1 ? 32 : plan.mode == 1 ? 4 * (plan.modeExtension + 1) : 32;
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < (sb < bound ? plan.channels : 1); ++ch)
            writer.put(plan.allocation[sb][ch], 4);
    }
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < plan.channels; ++ch) {
            if (plan.allocation[sb][ch]) writer.put(random() % 20, 6);
        }
    }
    for (int slot = 0; slot < 12; ++slot) {
        for (int sb = 0; sb < 32; ++sb) {
            for (int ch = 0; ch < (sb < bound ? plan.channels : 1); ++ch) {
                const int bits = plan.allocation[sb][ch] + 1;
                if (plan.allocation[sb][ch]) writer.put(random() % ((1u << bits) - 1), bits);
            }
        }
    }
    EXPECT_LE(writer.bitCount(), size_t{kLayer1FrameBytes} * 8);
    return writer.finish(kLayer1FrameBytes);
}

std::vector<uint8_t> layer1Stream(const Layer1Plan& plan, int frames) {
    std::mt19937 random(42);
    std::vector<uint8_t> stream;
    for (int f = 0; f < frames; ++f) {
        const std::vector<uint8_t> frame = layer1Frame(plan, random);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

tools::mpegdec::DecodedStream decode(const std::vector<uint8_t>& stream) {
    return tools::mpegdec::decodeMpegStream(stream.data(), stream.size());
}

void expectMatchesReference(const std::vector<uint8_t>& stream,
                            const tools::mpegdec::DecodedStream& ours) {
    tessera::test::TempDir dir;
    const std::string path = dir.write(
        "layer1.mp1", std::string(reinterpret_cast<const char*>(stream.data()), stream.size()));
    test::expectMatchesMpg123(path, ours);
}

TEST(Mp3Layer1, SyntheticStereoFramesMatchTheReference) {
    Layer1Plan plan;
    for (int sb = 0; sb < 12; ++sb) {
        plan.allocation[sb][0] = 1 + sb % 6;
        plan.allocation[sb][1] = 6 - sb % 6;
    }
    plan.allocation[20][0] = 14;  // 15-bit samples
    plan.allocation[30][1] = 3;
    const std::vector<uint8_t> stream = layer1Stream(plan, 12);
    const tools::mpegdec::DecodedStream ours = decode(stream);
    ASSERT_EQ(ours.error, "");
    EXPECT_EQ(ours.frames, 12);
    EXPECT_EQ(ours.channels, 2);
    EXPECT_EQ(ours.samples.size(), size_t{12 * 384 * 2});
    expectMatchesReference(stream, ours);
}

TEST(Mp3Layer1, JointStereoSharesSamplesAboveTheBound) {
    // Mode extension 0: subbands 0 to 3 per channel, 4 to 31 one sample for both channels,
    // each scaled by its own channel's scale factor.
    Layer1Plan plan;
    plan.mode = 1;
    for (int sb = 0; sb < 4; ++sb) plan.allocation[sb][0] = plan.allocation[sb][1] = 4;
    for (int sb = 4; sb < 16; ++sb) plan.allocation[sb][0] = plan.allocation[sb][1] = 5;
    const std::vector<uint8_t> stream = layer1Stream(plan, 10);
    const tools::mpegdec::DecodedStream ours = decode(stream);
    ASSERT_EQ(ours.error, "");
    EXPECT_EQ(ours.frames, 10);
    expectMatchesReference(stream, ours);
}

TEST(Mp3Layer1, MonoFramesMatchTheReference) {
    Layer1Plan plan;
    plan.mode = 3;
    plan.channels = 1;
    for (int sb = 0; sb < 24; ++sb) plan.allocation[sb][0] = 2 + sb % 9;
    const std::vector<uint8_t> stream = layer1Stream(plan, 8);
    const tools::mpegdec::DecodedStream ours = decode(stream);
    ASSERT_EQ(ours.error, "");
    EXPECT_EQ(ours.samples.size(), size_t{8 * 384});
    expectMatchesReference(stream, ours);
}

TEST(Mp3Layer1, TopSubbandIsReadButNeverOutput) {
    Layer1Plan plan;
    plan.mode = 3;
    plan.channels = 1;
    plan.allocation[31][0] = 14;
    const tools::mpegdec::DecodedStream ours = decode(layer1Stream(plan, 4));
    ASSERT_EQ(ours.frames, 4);
    for (int16_t sample : ours.samples) ASSERT_EQ(sample, 0);
}

TEST(Mp3Layer2, TableChoiceFollowsRateModeAndBitrate) {
    // 48 kHz single channel 32 kbit/s: table c (8 subbands).
    const Mp3Layer2AllocationTable* c = mp3Layer2ChooseTable(1, 1, 3, 1);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->subbands, 8);
    EXPECT_EQ(mp3Layer2ChooseTable(1, 0, 0, 3), nullptr);        // 44.1 kHz stereo 56 kbit/s
    EXPECT_EQ(mp3Layer2ChooseTable(1, 2, 1, 4)->subbands, 12);   // 32 kHz 64 kbit/s: table d
    EXPECT_EQ(mp3Layer2ChooseTable(1, 0, 0, 12)->subbands, 30);  // table b
    EXPECT_EQ(mp3Layer2ChooseTable(1, 1, 0, 12)->subbands, 27);  // table a
    EXPECT_EQ(mp3Layer2ChooseTable(2, 0, 0, 12)->subbands, 30);  // the lower rates' table

    std::vector<uint8_t> frame(1024, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFD;
    frame[2] = 0x30;  // 56 kbit/s, 44.1 kHz, stereo
    auto decoder = Mp3Decoder::Create();
    EXPECT_EQ(decoder->Start(frame.data(), 1024), 0);
    frame[2] = 0x90;  // 128 kbit/s
    EXPECT_EQ(decoder->Start(frame.data(), 1024), 1);
}

TEST(Mp3Layer2, AllClassZeroGivesSilenceAndReadsOnlyTheAllocation) {
    std::vector<uint8_t> frame(626, 0);  // 192 kbit/s at 44.1 kHz
    frame[0] = 0xFF;
    frame[1] = 0xFD;
    frame[2] = 0xA0;  // 192 kbit/s, 44.1 kHz, stereo: table b
    auto decoder = Mp3Decoder::Create();
    decoder->maxOutputRate = 44100;
    ASSERT_EQ(decoder->Start(frame.data(), 626), 1);
    std::vector<uint8_t> pcm(4608, 0x33);
    Mp3FrameRequest request;
    request.input = frame.data();
    request.inputBytes = 626;
    request.output = pcm.data();
    request.outputBytes = 4608;
    ASSERT_EQ(decoder->DecodeFrame(request), 1);
    for (uint8_t byte : pcm) ASSERT_EQ(byte, 0);
    // Table b, two channels: 3 x 4, 8 x 4, 12 x 3 and 7 x 2 allocation bits per channel.
    EXPECT_EQ(decoder->reader.bitsUsed(), 2 * (12 + 32 + 36 + 14));
}

}  // namespace
}  // namespace sound::mpeg

// Layer III frames built here, for what lame never writes: mixed blocks and intensity stereo
// (MPEG-1 and LSF). Each stream is decoded by our decoder and by libmpg123, at most 2 LSB
// apart. The streams avoid the places where this decoder departs from the standard on
// purpose (an all-zero right channel, long band 21).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sound/mpeg/mp3_huffman_codes.h"
#include "tests/sound/mpeg/bit_writer.h"
#include "tests/sound/mpeg/mpg123_reference.h"
#include "tests/sound/mpeg/stream_comparison.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/mpegdec/mpeg_stream.h"

namespace sound::mpeg {
namespace {

constexpr int kTable15 = 12;  // index of table 15 in kBigValueCodeTables

// One channel of one granule: side information and the values of its lines.
struct ChannelPlan {
    int globalGain = 170;
    int scalefacCompress = 0;
    int slen[4] = {0, 0, 0, 0};  // bits of each scale-factor group, in the order they are sent
    int groupCounts[4] = {0, 0, 0, 0};
    std::vector<int> scalefactors;  // in sending order
    bool mixedBlock = false;        // window switching, block type 2, mixed
    bool shortBlock = false;        // window switching, block type 2, not mixed
    int subblockGain[3] = {0, 0, 0};
    int values[576] = {};
    int bigValues = 0;  // pairs
};

// Table 15 code words for pairs of |values| up to 15, then the sign bits.
void writeBigValues(test::BitWriter& writer, const ChannelPlan& plan) {
    const Mp3HuffmanCodeTable& table = kBigValueCodeTables[kTable15];
    for (int pair = 0; pair < plan.bigValues; ++pair) {
        const int x = plan.values[2 * pair], y = plan.values[2 * pair + 1];
        const uint32_t code = table.codes[std::abs(x) * 16 + std::abs(y)];
        writer.put(code & kHuffmanCodeMask, static_cast<int>(code >> kHuffmanCodeLengthShift));
        if (x) writer.put(x < 0, 1);
        if (y) writer.put(y < 0, 1);
    }
}

// Bits of a channel's main data: scale factors and big values.
test::BitWriter mainData(const ChannelPlan& plan) {
    test::BitWriter writer;
    size_t next = 0;
    for (int group = 0; group < 4; ++group) {
        for (int i = 0; i < plan.groupCounts[group]; ++i)
            writer.put(plan.scalefactors[next++], plan.slen[group]);
    }
    writeBigValues(writer, plan);
    return writer;
}

void writeSideInfoChannel(test::BitWriter& side, const ChannelPlan& plan, size_t part23, bool lsf) {
    side.put(static_cast<uint32_t>(part23), 12);
    side.put(plan.bigValues, 9);
    side.put(plan.globalGain, 8);
    side.put(plan.scalefacCompress, lsf ? 9 : 4);
    if (plan.mixedBlock || plan.shortBlock) {
        side.put(1, 1);  // window switching
        side.put(2, 2);  // short blocks
        side.put(plan.mixedBlock ? 1 : 0, 1);
        side.put(15, 5);
        side.put(15, 5);
        for (int w = 0; w < 3; ++w) side.put(plan.subblockGain[w], 3);
    } else {
        side.put(0, 1);
        for (int r = 0; r < 3; ++r) side.put(15, 5);
        side.put(15, 4);  // region0_count
        side.put(7, 3);   // region1_count
    }
    if (!lsf) side.put(0, 1);  // preflag
    side.put(0, 1);            // scalefac_scale
    side.put(1, 1);            // count1 table B: nothing is left for it
}

// A frame with main_data_begin 0: header, side information, then each granule's channels.
std::vector<uint8_t> layer3Frame(bool lsf, int modeExtension,
                                 const std::vector<std::vector<ChannelPlan>>& granules) {
    // MPEG-1 44.1 kHz 320 kbit/s (1044 bytes) or MPEG-2 22.05 kHz 160 kbit/s (522 bytes),
    // joint stereo.
    const size_t frameSize = lsf ? 522 : 1044;
    test::BitWriter frame;
    frame.put(lsf ? 0xFFF3E0 : 0xFFFBE0, 24);
    frame.put(static_cast<uint32_t>(1 << 6 | modeExtension << 4), 8);
    frame.put(0, lsf ? 8 : 9);  // main_data_begin
    frame.put(0, lsf ? 2 : 3);  // private bits
    if (!lsf) frame.put(0, 8);  // scfsi
    std::vector<test::BitWriter> data;
    for (const auto& granule : granules) {
        for (const ChannelPlan& plan : granule) {
            data.push_back(mainData(plan));
            writeSideInfoChannel(frame, plan, data.back().bitCount(), lsf);
        }
    }
    for (test::BitWriter& channel : data) {
        const size_t bits = channel.bitCount();
        const std::vector<uint8_t> bytes = channel.finish((bits + 7) / 8);
        for (size_t bit = 0; bit < bits; ++bit) frame.put(bytes[bit / 8] >> (7 - bit % 8) & 1, 1);
    }
    EXPECT_LE(frame.bitCount(), frameSize * 8);
    return frame.finish(frameSize);
}

// Random values on the lines below `end` (by pairs), zero above; none zero with `dense`.
void fillValues(ChannelPlan& plan, int end, std::mt19937& random, bool dense = false) {
    for (int i = 0; i < end; ++i) {
        const int magnitude = static_cast<int>(dense ? 1 + random() % 15 : random() % 16);
        plan.values[i] = random() % 2 ? magnitude : -magnitude;
    }
    plan.values[0] = 9;  // the channel is never all zero
    plan.bigValues = end / 2;
}

void expectMatchesReference(const std::vector<uint8_t>& stream, int expectedFrames) {
    const tools::mpegdec::DecodedStream ours =
        tools::mpegdec::decodeMpegStream(stream.data(), stream.size());
    ASSERT_EQ(ours.error, "");
    ASSERT_EQ(ours.frames, expectedFrames);
    tessera::test::TempDir dir;
    const std::string path = dir.write(
        "synthetic.mp3", std::string(reinterpret_cast<const char*>(stream.data()), stream.size()));
    test::expectMatchesMpg123(path, ours);
    int loudest = 0;
    for (int16_t sample : ours.samples)
        loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    EXPECT_GT(loudest, 100) << "the frames should not decode to near silence";
}

TEST(Mp3Layer3Synthetic, MixedBlocksMatchTheReference) {
    std::mt19937 random(11);
    std::vector<uint8_t> stream;
    const int frames = 8;
    for (int f = 0; f < frames; ++f) {
        std::vector<std::vector<ChannelPlan>> granules(2, std::vector<ChannelPlan>(2));
        for (auto& granule : granules) {
            for (ChannelPlan& plan : granule) {
                plan.mixedBlock = true;
                for (int w = 0; w < 3; ++w) plan.subblockGain[w] = static_cast<int>(random() % 3);
                fillValues(plan, 120, random);
            }
        }
        const std::vector<uint8_t> frame = layer3Frame(false, 0, granules);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    expectMatchesReference(stream, frames);
}

// The right channel carries lines of bands 0 to 4 and intensity positions for bands 5 to 20.
ChannelPlan mpeg1IntensityRight(std::mt19937& random) {
    ChannelPlan right;
    right.scalefacCompress = 13;  // slen1 = slen2 = 3
    right.slen[0] = right.slen[1] = right.slen[2] = right.slen[3] = 3;
    right.groupCounts[0] = 6;
    right.groupCounts[1] = 5;
    right.groupCounts[2] = 5;
    right.groupCounts[3] = 5;
    for (int band = 0; band < 21; ++band)
        right.scalefactors.push_back(band < 5 ? 0 : static_cast<int>(random() % 8));
    fillValues(right, 20, random);  // long bands 0 to 4 end at line 20
    return right;
}

TEST(Mp3Layer3Synthetic, Mpeg1IntensityStereoMatchesTheReference) {
    for (int modeExtension : {1, 3}) {  // intensity alone, and with M/S
        std::mt19937 random(static_cast<unsigned>(20 + modeExtension));
        std::vector<uint8_t> stream;
        const int frames = 8;
        for (int f = 0; f < frames; ++f) {
            std::vector<std::vector<ChannelPlan>> granules;
            for (int gr = 0; gr < 2; ++gr) {
                ChannelPlan left;
                fillValues(left, 418, random);  // up to the end of long band 20
                granules.push_back({left, mpeg1IntensityRight(random)});
            }
            const std::vector<uint8_t> frame = layer3Frame(false, modeExtension, granules);
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        SCOPED_TRACE(modeExtension);
        expectMatchesReference(stream, frames);
    }
}

TEST(Mp3Layer3Synthetic, LsfIntensityStereoMatchesTheReference) {
    for (int intensityScale : {0, 1}) {
        std::mt19937 random(static_cast<unsigned>(40 + intensityScale));
        std::vector<uint8_t> stream;
        const int frames = 12;
        for (int f = 0; f < frames; ++f) {
            ChannelPlan left;  // scalefac_compress 0: no scale factors
            left.groupCounts[0] = 6;
            left.groupCounts[1] = 5;
            left.groupCounts[2] = 5;
            left.groupCounts[3] = 5;
            left.scalefactors.assign(21, 0);
            fillValues(left, 464, random);  // up to the end of long band 19 at 22.05 kHz
            // Right: slen 3, 3, 3 over 7, 7, 7 long bands (int. scalefac_compress 129).
            ChannelPlan right;
            right.scalefacCompress = 129 * 2 + intensityScale;
            right.slen[0] = right.slen[1] = right.slen[2] = 3;
            right.groupCounts[0] = right.groupCounts[1] = right.groupCounts[2] = 7;
            for (int band = 0; band < 21; ++band) {
                right.scalefactors.push_back(band < 4 ? 0 : static_cast<int>(random() % 8));
            }
            fillValues(right, 24, random);  // long bands 0 to 3 end at line 24
            const std::vector<uint8_t> frame = layer3Frame(true, 1, {{left, right}});
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        SCOPED_TRACE(intensityScale);
        expectMatchesReference(stream, frames);
    }
}

// Short blocks: the right channel carries short bands 0 and 1 in every window (lines 0 to 23
// in sending order) and intensity positions above; the left channel reaches band 11.
TEST(Mp3Layer3Synthetic, ShortBlockIntensityStereoMatchesTheReference) {
    struct ShortCase {
        bool lsf;
        int modeExtension;
        int leftLines;  // three times the end of short band 11
    };
    const ShortCase cases[] = {{false, 1, 3 * 136}, {false, 3, 3 * 136}, {true, 1, 3 * 174}};
    for (const ShortCase& c : cases) {
        std::mt19937 random(static_cast<unsigned>(60 + c.modeExtension + 10 * c.lsf));
        std::vector<uint8_t> stream;
        const int frames = 10;
        for (int f = 0; f < frames; ++f) {
            std::vector<std::vector<ChannelPlan>> granules;
            for (int gr = 0; gr < (c.lsf ? 1 : 2); ++gr) {
                ChannelPlan left;
                left.shortBlock = true;
                fillValues(left, c.leftLines, random);
                ChannelPlan right;
                right.shortBlock = true;
                for (int w = 0; w < 3; ++w) right.subblockGain[w] = static_cast<int>(random() % 2);
                // MPEG-1: slen1 = slen2 = 3 over 18 + 18 values; LSF: 3, 3, 3 over 12 each.
                right.scalefacCompress = c.lsf ? 129 * 2 : 13;
                right.slen[0] = right.slen[1] = right.slen[2] = 3;
                right.groupCounts[0] = right.groupCounts[1] = c.lsf ? 12 : 18;
                right.groupCounts[2] = c.lsf ? 12 : 0;
                for (int band = 0; band < 12; ++band) {
                    for (int w = 0; w < 3; ++w) {
                        right.scalefactors.push_back(band < 2 ? 0 : static_cast<int>(random() % 8));
                    }
                }
                fillValues(right, 24, random, true);
                granules.push_back({left, right});
            }
            const std::vector<uint8_t> frame = layer3Frame(c.lsf, c.modeExtension, granules);
            stream.insert(stream.end(), frame.begin(), frame.end());
        }
        SCOPED_TRACE(testing::Message()
                     << "lsf " << c.lsf << " mode extension " << c.modeExtension);
        expectMatchesReference(stream, frames);
    }
}

}  // namespace
}  // namespace sound::mpeg

// Files made by sox and encoded by lame (layer III) and twolame (layer II), decoded by our
// decoder and by libmpg123: at most 2 LSB apart per sample, and close to the source signal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/sound/mpeg/mpg123_reference.h"
#include "tests/sound/mpeg/stream_comparison.h"
#include "tests/support/external_tools.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/mpegdec/mpeg_stream.h"

namespace sound::mpeg::test {
namespace {

struct EncodedCase {
    const char* name;
    int rate;
    int channels;
    const char* signal;   // sox synth arguments and effects (band-limited below the top band)
    const char* encoder;  // "lame ..." or "twolame ..." options before the file names
    double minimumSnr;    // dB against the source
};

std::ostream& operator<<(std::ostream& out, const EncodedCase& c) { return out << c.name; }

const EncodedCase kCases[] = {
    // Layer III, MPEG-1.
    {"l3_44k_stereo_cbr", 44100, 2, "sine 440 sine 1000 gain -3", "lame --quiet -b 128 -m s", 20},
    {"l3_44k_joint_ms", 44100, 2, "sine 300 sine 300 gain -3", "lame --quiet -b 96 -m j", 15},
    {"l3_44k_mono_no_tag", 44100, 1, "sine 2500 gain -3", "lame --quiet -t -b 64 -m m", 20},
    {"l3_44k_crc", 44100, 2, "sine 600 sine 1700 gain -3", "lame --quiet -p -b 112 -m s", 20},
    {"l3_48k_vbr_xing", 48000, 2, "sine 700-7000 sine 5000 gain -3", "lame --quiet -V 2", 12},
    {"l3_32k_noise", 32000, 2, "pinknoise lowpass 9000 gain -3", "lame --quiet -b 160 -m s", 6},
    {"l3_44k_transients", 44100, 2, "square 3 sine 900 tremolo 8 100 gain -3",
     "lame --quiet -b 192 -m j", 10},
    // Full scale: the decoded overshoot saturates at both ends.
    {"l3_44k_full_scale_square", 44100, 1, "square 441 norm 0", "lame --quiet -b 128 -m m", 5},
    // Layer III, MPEG-2.
    {"l3_22k_stereo", 22050, 2, "sine 500 sine 1500 gain -3", "lame --quiet -b 64 -m s", 15},
    {"l3_24k_joint", 24000, 2, "sine 800 sine 820 gain -3", "lame --quiet -b 48 -m j", 4},
    {"l3_16k_mono_vbr", 16000, 1, "sine 300-3000 gain -3", "lame --quiet -V 4", 8},
    // Layer III, MPEG-2.5.
    {"l3_11k_mono", 11025, 1, "sine 400 sine 1200 gain -3", "lame --quiet -b 24 -m m", 8},
    {"l3_12k_stereo", 12000, 2, "sine 600 gain -3", "lame --quiet -b 32 -m s", 8},
    {"l3_8k_joint", 8000, 2, "sine 250 sine 2000 gain -3", "lame --quiet -b 16 -m j", 6},
    // Layer II.
    {"l2_44k_stereo", 44100, 2, "sine 440 sine 1000 gain -3", "twolame --quiet -b 192 -m s", 20},
    {"l2_48k_joint", 48000, 2, "sine 1200 sine 1200 gain -3", "twolame --quiet -b 128 -m j", 12},
    {"l2_32k_mono", 32000, 1, "sine 700 gain -3", "twolame --quiet -b 64 -m m", 15},
    {"l2_44k_crc", 44100, 2, "sine 500 sine 800 gain -3", "twolame --quiet -p -b 160 -m s", 15},
    {"l2_48k_mono_table_c", 48000, 1, "sine 500 gain -3", "twolame --quiet -b 32 -m m", 8},
    {"l2_22k_stereo", 22050, 2, "sine 350 sine 900 gain -3", "twolame --quiet -b 96 -m s", 12},
    {"l2_24k_joint", 24000, 2, "sine 900 gain -3", "twolame --quiet -b 80 -m j", 12},
    {"l2_16k_mono", 16000, 1, "sine 1000 gain -3", "twolame --quiet -b 32 -m m", 10},
};

class EncodedFixture : public ::testing::TestWithParam<EncodedCase> {};

// The delay (in sample frames) that best lines `decoded` up with `source`.
size_t bestDelay(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded,
                 int channels) {
    size_t best = 0;
    double bestScore = -1.0;
    const size_t window = 4096;
    for (size_t delay = 0; delay < 3000; ++delay) {
        double score = 0.0;
        for (size_t f = 4096; f < 4096 + window; ++f) {
            const size_t d = (f + delay) * channels;
            if (d + channels > decoded.size() || (f + 1) * channels > source.size()) break;
            for (int ch = 0; ch < channels; ++ch) {
                score += static_cast<double>(source[f * channels + ch]) * decoded[d + ch];
            }
        }
        if (score > bestScore) {
            bestScore = score;
            best = delay;
        }
    }
    return best;
}

TEST_P(EncodedFixture, MatchesReferenceDecoderAndSource) {
    const EncodedCase& c = GetParam();
    REQUIRE_TOOL("sox");
    const bool layer2 = std::strncmp(c.encoder, "twolame", 7) == 0;
    REQUIRE_TOOL(layer2 ? "twolame" : "lame");

    tessera::test::TempDir dir;
    const std::string source = dir.file("source.raw");
    const std::string encoded = dir.file("encoded.mp3");
    const std::string rate = std::to_string(c.rate);
    const std::string channels = std::to_string(c.channels);
    ASSERT_TRUE(tessera::test::runCommand("sox -n -r " + rate + " -c " + channels +
                                          " -b 16 -e signed -t raw " + source + " synth 2.5 " +
                                          c.signal));
    const std::string rawInput = layer2 ? " --raw-input -s " + rate + " -N " + channels + " "
                                        : " -r -s " + std::to_string(c.rate / 1000.0) +
                                              " --resample " + std::to_string(c.rate / 1000.0) +
                                              " --signed --little-endian --bitwidth 16 " +
                                              (c.channels == 1 ? "-m m " : "");
    ASSERT_TRUE(
        tessera::test::runCommand(std::string(c.encoder) + rawInput + source + " " + encoded));

    const std::string bytes = tessera::test::readFileBytes(encoded);
    const tools::mpegdec::DecodedStream ours = tools::mpegdec::decodeMpegStream(
        reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_EQ(ours.error, "");
    EXPECT_EQ(ours.sampleRate, c.rate);
    EXPECT_EQ(ours.channels, c.channels);
    ASSERT_GT(ours.frames, 0);
    // lame's "Xing" header counts the frames behind its own frame.
    if (ours.vbrFrames > 0) {
        EXPECT_EQ(ours.frames, ours.vbrFrames + 1);
    }
    EXPECT_EQ(ours.samples.size() % static_cast<size_t>(c.channels), 0u);
    if (std::strstr(c.name, "full_scale")) {
        EXPECT_NE(std::find(ours.samples.begin(), ours.samples.end(), 32767), ours.samples.end());
        EXPECT_NE(std::find(ours.samples.begin(), ours.samples.end(), -32768), ours.samples.end());
    }

    expectMatchesMpg123(encoded, ours);
    if (IsSkipped() || HasFatalFailure()) return;

    const std::string sourceBytes = tessera::test::readFileBytes(source);
    std::vector<int16_t> sourceSamples(sourceBytes.size() / 2);
    std::memcpy(sourceSamples.data(), sourceBytes.data(), sourceSamples.size() * 2);
    const size_t delay = bestDelay(sourceSamples, ours.samples, c.channels);
    EXPECT_GE(signalToNoise(sourceSamples, ours.samples, c.channels, delay, 4096), c.minimumSnr)
        << "delay " << delay;
}

INSTANTIATE_TEST_SUITE_P(Matrix, EncodedFixture, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sound::mpeg::test

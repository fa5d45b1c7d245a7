// Layer III behaviour that the fixture matrix does not show by itself: streams cut out of
// longer ones, the decoded line limits, intensity stereo, and damaged or truncated data.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sound/mpeg/mp3_decoder.h"
#include "sound/mpeg/mp3_layer3_spectrum.h"
#include "tests/support/external_tools.h"
#include "tests/support/temp_dir.h"
#include "tools/mpegdec/mpeg_stream.h"

namespace sound::mpeg {
namespace {

// A noise file encoded by lame (no tag frame), or empty when the tools are missing.
std::vector<uint8_t> encodeNoise(int rate, const char* options) {
    tessera::test::TempDir dir;
    const std::string wav = dir.file("noise.wav");
    const std::string mp3 = dir.file("noise.mp3");
    const std::string r = std::to_string(rate);
    if (!tessera::test::runCommand("sox -n -r " + r + " -c 2 -b 16 " + wav +
                                   " synth 1.5 whitenoise gain -8"))
        return {};
    if (!tessera::test::runCommand(std::string("lame --quiet -t --resample ") +
                                   std::to_string(rate / 1000.0) + " " + options + " " + wav + " " +
                                   mp3)) {
        return {};
    }
    const std::string bytes = tessera::test::readFileBytes(mp3);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Decodes frame by frame and calls `check` after each frame with the PCM it produced.
template <typename Check>
int decodeFrames(const std::vector<uint8_t>& stream, Mp3Decoder& decoder, Check check) {
    Mp3FrameInfo info;
    EXPECT_EQ(decoder.GetFrameInfo(info, stream.data(), static_cast<int32_t>(stream.size()), 0), 1);
    decoder.maxOutputRate = info.sampleRate;
    EXPECT_EQ(decoder.Start(stream.data(), static_cast<int32_t>(stream.size())), 1);
    std::vector<uint8_t> pcm(static_cast<size_t>(decoder.pcmBytesPerFrame));
    size_t at = 0;
    int frames = 0;
    while (at + 4 < stream.size()) {
        std::fill(pcm.begin(), pcm.end(), 0x55);
        Mp3FrameRequest request;
        request.input = stream.data() + at;
        request.inputBytes = static_cast<int32_t>(stream.size() - at);
        request.output = pcm.data();
        request.outputBytes = static_cast<int32_t>(pcm.size());
        if (!decoder.DecodeFrame(request)) break;
        check(frames, request.input, pcm);
        at += static_cast<size_t>(request.inputBytes);
        ++frames;
    }
    return frames;
}

TEST(Mp3Layer3, StreamCutFromALongerOneStartsWithSilence) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("lame");
    const std::vector<uint8_t> whole = encodeNoise(44100, "-b 128");
    ASSERT_FALSE(whole.empty());
    // Find the start of a frame whose main data begins in earlier frames.
    auto finder = Mp3Decoder::Create();
    size_t cut = 0;
    decodeFrames(whole, *finder, [&](int frame, const uint8_t* input, const std::vector<uint8_t>&) {
        const int mainDataBegin = input[4] << 1 | input[5] >> 7;
        if (cut == 0 && frame > 5 && mainDataBegin > 0)
            cut = static_cast<size_t>(input - whole.data());
    });
    ASSERT_GT(cut, 0u);
    const std::vector<uint8_t> tail(whole.begin() + static_cast<long>(cut), whole.end());
    auto decoder = Mp3Decoder::Create();
    bool sawSound = false;
    const int frames = decodeFrames(
        tail, *decoder, [&](int frame, const uint8_t*, const std::vector<uint8_t>& pcm) {
            if (frame == 0) {
                for (uint8_t byte : pcm)
                    ASSERT_EQ(byte, 0) << "the first frame's output is silence";
            } else {
                for (uint8_t byte : pcm) sawSound |= byte != 0;
            }
        });
    EXPECT_GT(frames, 10);
    EXPECT_TRUE(sawSound);
}

TEST(Mp3Layer3, LinesAboveTheDecodedBandAreZero) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("lame");
    struct LimitCase {
        int rate;
        const char* options;
        int firstZeroLine;
    };
    // At 44.1 kHz subband 31 (lines 558 to 575) is dropped; LSF streams end with long band 20.
    const LimitCase cases[] = {{44100, "-b 320 --lowpass 22000", 558},
                               {22050, "-b 160 --lowpass 11000", 522}};
    for (const LimitCase& c : cases) {
        const std::vector<uint8_t> stream = encodeNoise(c.rate, c.options);
        ASSERT_FALSE(stream.empty());
        auto decoder = Mp3Decoder::Create();
        int highest = 0;
        const int frames =
            decodeFrames(stream, *decoder, [&](int, const uint8_t*, const std::vector<uint8_t>&) {
                for (int ch = 0; ch < 2; ++ch) {
                    for (int line = 0; line < kGranuleLines; ++line) {
                        if (decoder->layer3.huffmanValues[ch][line] != 0)
                            highest = std::max(highest, line);
                    }
                }
            });
        EXPECT_GT(frames, 10);
        EXPECT_LT(highest, c.firstZeroLine) << c.rate;
        EXPECT_GT(highest, c.firstZeroLine - 60)
            << c.rate << ": the noise should reach the top band";
    }
}

// A started MPEG-1 44.1 kHz joint-stereo decoder whose granule slot 0 holds long blocks
// with the given lines: left all 1000 on bands 0 to 20, right 500 on band 0 only or zero.
std::unique_ptr<Mp3Decoder> intensityDecoder(bool rightHasBandZero, int isPosition) {
    std::vector<uint8_t> frame(1024, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = 0x90;
    frame[3] = 0x40;  // joint stereo
    auto decoder = Mp3Decoder::Create();
    decoder->maxOutputRate = 44100;
    EXPECT_EQ(decoder->Start(frame.data(), 1024), 1);
    Mp3Layer3State& state = decoder->layer3;
    for (int ch = 0; ch < 2; ++ch) {
        Mp3GranuleChannel& gc = state.granules[0][ch];
        gc.shortBlock = 0;
        gc.lastNonzeroBand = 0;
        for (int band = 0; band < 22; ++band)
            gc.scalefactors[band] = static_cast<uint8_t>(isPosition);
    }
    const int end = state.longBandEnd[20];
    for (int i = 0; i < end; ++i) state.spectra[0][0][i] = 1000.0f;
    state.granules[0][0].nonzeroLines = end;
    for (int i = 0; i < state.longBandEnd[0]; ++i)
        state.spectra[1][0][i] = rightHasBandZero ? 500.0f : 0.0f;
    state.granules[0][1].nonzeroLines = rightHasBandZero ? state.longBandEnd[0] : 0;
    return decoder;
}

TEST(Mp3Layer3, IntensityStartsAfterTheRightChannelsLastBand) {
    for (bool midSide : {false, true}) {
        // An all-zero right channel counts as ending in band 0: band 0 stays plain (or M/S).
        auto decoder = intensityDecoder(false, 7);
        mp3ProcessStereo(*decoder, 0, midSide, true);
        const Mp3Layer3State& state = decoder->layer3;
        const float* left = state.spectra[0][0];
        const float* right = state.spectra[1][0];
        EXPECT_EQ(left[0], 1000.0f);
        EXPECT_EQ(right[0], midSide ? 1000.0f : 0.0f);  // band 0: m + s and m - s with s = 0
        // Position 7: without M/S the left keeps the value and the right gets nothing; with
        // M/S both get it.
        const int band1 = state.longBandEnd[0];
        EXPECT_EQ(left[band1], 1000.0f) << midSide;
        EXPECT_EQ(right[band1], midSide ? 1000.0f : 0.0f) << midSide;
        EXPECT_EQ(state.granules[0][0].nonzeroLines, state.granules[0][1].nonzeroLines);
    }
    // Position 0 sends everything to the right; position 3 splits evenly.
    auto decoder = intensityDecoder(true, 0);
    mp3ProcessStereo(*decoder, 0, false, true);
    const int band1 = decoder->layer3.longBandEnd[0];
    EXPECT_EQ(decoder->layer3.spectra[1][0][0], 500.0f);  // band 0 is the right channel's own
    EXPECT_EQ(decoder->layer3.spectra[0][0][band1], 0.0f);
    EXPECT_EQ(decoder->layer3.spectra[1][0][band1], 1000.0f);
    decoder = intensityDecoder(true, 3);
    mp3ProcessStereo(*decoder, 0, false, true);
    EXPECT_FLOAT_EQ(decoder->layer3.spectra[0][0][band1], 500.0f);
    EXPECT_FLOAT_EQ(decoder->layer3.spectra[1][0][band1], 500.0f);
}

TEST(Mp3Layer3, MidSideOnlyGivesSumAndDifference) {
    auto decoder = intensityDecoder(true, 0);
    Mp3Layer3State& state = decoder->layer3;
    state.spectra[1][0][1] = -250.0f;
    state.granules[0][1].nonzeroLines = 30;
    mp3ProcessStereo(*decoder, 0, true, false);
    EXPECT_EQ(state.spectra[0][0][0], 1500.0f);
    EXPECT_EQ(state.spectra[1][0][0], 500.0f);
    EXPECT_EQ(state.spectra[0][0][1], 750.0f);
    EXPECT_EQ(state.spectra[1][0][1], 1250.0f);
    // Up to the larger channel's lines: the left's (band 20's end).
    const int last = state.longBandEnd[20] - 1;
    EXPECT_EQ(state.spectra[0][0][last], 1000.0f);
    EXPECT_EQ(state.spectra[1][0][last], 1000.0f);
    EXPECT_EQ(state.granules[0][1].nonzeroLines, state.longBandEnd[20]);
}

TEST(Mp3Layer3, TruncatedAndDamagedStreamsDecodeSafely) {
    REQUIRE_TOOL("sox");
    REQUIRE_TOOL("lame");
    for (const auto& [rate, options] : {std::pair{44100, "-b 128 -m j"},
                                        std::pair{22050, "-b 32 -m m"}, std::pair{8000, "-b 16"}}) {
        const std::vector<uint8_t> stream = encodeNoise(rate, options);
        ASSERT_FALSE(stream.empty());
        const tools::mpegdec::DecodedStream whole =
            tools::mpegdec::decodeMpegStream(stream.data(), stream.size());
        ASSERT_EQ(whole.error, "");
        // Every cut decodes the whole frames before it and stops (sixty cuts at odd places).
        for (size_t size = 0; size < stream.size(); size += stream.size() / 60 + 1) {
            const tools::mpegdec::DecodedStream part =
                tools::mpegdec::decodeMpegStream(stream.data(), size);
            ASSERT_LE(part.samples.size(), whole.samples.size());
        }
        std::mt19937 random(static_cast<unsigned>(rate));
        for (int variant = 0; variant < 40; ++variant) {
            std::vector<uint8_t> damaged = stream;
            for (int flip = 0; flip < 12; ++flip)
                damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            const tools::mpegdec::DecodedStream part =
                tools::mpegdec::decodeMpegStream(damaged.data(), damaged.size());
            ASSERT_LE(part.samples.size(), whole.samples.size() + 4608);
        }
    }
}

}  // namespace
}  // namespace sound::mpeg

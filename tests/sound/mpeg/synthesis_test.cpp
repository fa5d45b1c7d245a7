// The polyphase synthesis against a double-precision direct form of the standard's filter
// (matrixing V = N S, the U and W vectors, window D) with the same truncation, and the PCM
// conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "sound/mpeg/mp3_synthesis.h"

namespace sound::mpeg {
namespace {

class DirectSynthesis {
public:
    std::vector<int16_t> row(const double* subbands) {
        for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
        for (int i = 0; i < 64; ++i) {
            double sum = 0.0;
            for (int k = 0; k < 32; ++k)
                sum += std::cos((16 + i) * (2 * k + 1) * M_PI / 64) * subbands[k];
            v_[i] = sum;
        }
        std::vector<int16_t> out(32);
        for (int j = 0; j < 32; ++j) {
            double sum = 0.0;
            for (int i = 0; i < 8; ++i) {
                sum += v_[128 * i + j] * mp3SynthesisWindowValue(64 * i + j);
                sum += v_[128 * i + 96 + j] * mp3SynthesisWindowValue(64 * i + 32 + j);
            }
            out[j] = convertSampleToPcm16(static_cast<float>(std::trunc(sum)));
        }
        return out;
    }

private:
    double v_[1024] = {};
};

std::unique_ptr<Mp3SynthesisState> makeState(int channels) {
    auto state = std::make_unique<Mp3SynthesisState>();
    state->buildTables();
    state->clear();
    state->chooseRoutines(channels);
    return state;
}

TEST(Mp3Synthesis, MatchesTheDirectFormWithinOneLsb) {
    std::mt19937 random(77);
    std::uniform_real_distribution<float> level(-4000.0f, 4000.0f);
    auto state = makeState(1);
    DirectSynthesis direct;
    int largest = 0;
    for (int frame = 0; frame < 40; ++frame) {
        std::vector<float> rows(12 * 64, 0.0f);
        for (int r = 0; r < 12; ++r) {
            // Louder low subbands, as in music; some rows silent.
            for (int s = 0; s < 32; ++s)
                rows[64 * r + s] = (r % 5 == 4) ? 0.0f : level(random) / (1 + s / 4);
        }
        std::vector<int16_t> ours(12 * 32);
        state->layer12Routine(*state, rows.data(), reinterpret_cast<uint8_t*>(ours.data()), 12);
        for (int r = 0; r < 12; ++r) {
            double subbands[32];
            for (int s = 0; s < 32; ++s) subbands[s] = rows[64 * r + s];
            const std::vector<int16_t> expected = direct.row(subbands);
            for (int j = 0; j < 32; ++j) {
                const int difference = std::abs(ours[32 * r + j] - expected[j]);
                largest = std::max(largest, difference);
                ASSERT_LE(difference, 1) << "frame " << frame << " row " << r << " sample " << j;
            }
        }
    }
    EXPECT_LE(largest, 1);
}

TEST(Mp3Synthesis, ZerosGiveExactZeros) {
    auto state = makeState(2);
    std::vector<float> rows(36 * 64, 0.0f);
    std::vector<int16_t> out(36 * 64, 77);
    state->layer12Routine(*state, rows.data(), reinterpret_cast<uint8_t*>(out.data()), 36);
    for (int16_t sample : out) ASSERT_EQ(sample, 0);
}

TEST(Mp3Synthesis, TwoChannelLayer3OutputInterleaves) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> level(-3000.0f, 3000.0f);
    std::vector<float> left(18 * 32), right(18 * 32);
    for (float& x : left) x = level(random);
    for (float& x : right) x = level(random);

    auto mono = makeState(1);
    std::vector<int16_t> leftAlone(18 * 32), rightAlone(18 * 32);
    mono->layer3Routine(*mono, left.data(), reinterpret_cast<uint8_t*>(leftAlone.data()), 0);
    mono = makeState(1);
    mono->layer3Routine(*mono, right.data(), reinterpret_cast<uint8_t*>(rightAlone.data()), 0);

    auto stereo = makeState(2);
    std::vector<int16_t> both(18 * 32 * 2);
    stereo->layer3Routine(*stereo, left.data(), reinterpret_cast<uint8_t*>(both.data()), 0);
    stereo->layer3Routine(*stereo, right.data(), reinterpret_cast<uint8_t*>(both.data()), 1);
    for (int i = 0; i < 18 * 32; ++i) {
        ASSERT_EQ(both[2 * i], leftAlone[i]) << i;
        ASSERT_EQ(both[2 * i + 1], rightAlone[i]) << i;
    }
}

TEST(Mp3Synthesis, PcmConversionTruncatesAndSaturatesBySign) {
    struct Case {
        float in;
        int16_t out;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0.0f, 0},         {-1.9f, -1},       {1.9f, 1},           {32766.9f, 32766},
        {32767.5f, 32767}, {40000.7f, 32767}, {-40000.7f, -32768}, {-32768.9f, -32768},
        {3.0e9f, 32767},   {-3.0e9f, -32768}, {inf, 32767},        {-inf, -32768},
        {nan, 0}};
    for (const Case& c : cases) EXPECT_EQ(convertSampleToPcm16(c.in), c.out) << c.in;
}

TEST(Mp3Synthesis, WindowTableStartsAsTheStandardsRowZero) {
    // Row 0 of the window, D[32m], and the middle taps D[64k + 48].
    const double row0[16] = {0,           -0.000442505, 0.003250122, -0.007003784,
                             0.031082153, -0.078628540, 0.100311279, -0.572036743,
                             1.144989014, 0.572036743,  0.100311279, 0.078628540,
                             0.031082153, 0.007003784,  0.003250122, 0.000442505};
    const double middle[8] = {-0.001586914, -0.023910521, -0.148422241, -0.976852417,
                              0.152206421,  0.000686646,  -0.002227783, 0.000076294};
    for (int m = 0; m < 16; ++m) EXPECT_NEAR(mp3SynthesisWindowValue(32 * m), row0[m], 1e-8) << m;
    for (int k = 0; k < 8; ++k)
        EXPECT_NEAR(mp3SynthesisWindowValue(64 * k + 48), middle[k], 1e-8) << k;
}

}  // namespace
}  // namespace sound::mpeg

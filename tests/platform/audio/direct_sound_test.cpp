#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/platform/audio/audio_fixture.h"

namespace tessera::test {
namespace {

using namespace platform::audio;

std::vector<int16_t> rampSamples(size_t count, int seed) {
    std::vector<int16_t> samples(count);
    uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1;
    for (int16_t& s : samples) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<int16_t>(state >> 16);
    }
    return samples;
}

bool signalled(const platform::os::EventHandle& event) {
    return event->wait(0) == platform::os::kWaitObject0;
}

TEST(DirectSoundDevice, EnumerationReportsOnlyThePrimaryDriver) {
    struct Seen {
        int calls = 0;
        const void* id = reinterpret_cast<const void*>(1);
        std::string description, module;
    } seen;
    auto callback = [](const void* id, const char* description, const char* module,
                       void* context) -> BOOL {
        auto* s = static_cast<Seen*>(context);
        ++s->calls;
        s->id = id;
        s->description = description;
        s->module = module;
        return TRUE;  // asks for more, but there is no second device
    };
    EXPECT_EQ(directSoundEnumerate(callback, &seen), DS_OK);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.id, nullptr);
    EXPECT_EQ(seen.description, "Primary Sound Driver");
    EXPECT_EQ(seen.module, "");
}

TEST(DirectSoundDevice, InjectedCreationFailureGivesNoDevice) {
    setDeviceOverride({true, nullptr});
    DirectSound* device = reinterpret_cast<DirectSound*>(1);
    EXPECT_TRUE(FAILED(directSoundCreate(nullptr, &device, nullptr)));
    EXPECT_EQ(device, nullptr);
    setDeviceOverride({});
}

TEST(DirectSoundDevice, HeadlessDeviceRunsOnTheNullSink) {
    // TESSERA_HEADLESS is set for every suite: the default sink is the real-time null sink.
    DirectSound* device = nullptr;
    ASSERT_EQ(directSoundCreate(nullptr, &device, nullptr), DS_OK);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    EXPECT_EQ(device->Release(), 0u);
}

using AudioBuffers = AudioDeviceTest;

TEST_F(AudioBuffers, PrimaryBufferRecordsItsFormatWithoutChangingTheMixRate) {
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    DirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(device_->CreateSoundBuffer(&description, &primary, nullptr), DS_OK);
    const WaveFormatEx format = pcmFormat(22050, 2, 16);
    EXPECT_EQ(primary->SetFormat(&format), DS_OK);
    WaveFormatEx back;
    EXPECT_EQ(primary->GetFormat(&back), DS_OK);
    EXPECT_EQ(back.nSamplesPerSec, 22050u);
    EXPECT_EQ(back.nAvgBytesPerSec, 88200u);

    // A 44,100 Hz buffer still passes through unchanged.
    const auto samples = rampSamples(2 * 441, 1);
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 2, 16), samples16(samples));
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(sink_->pull(441), samples);
    primary->Release();
}

TEST_F(AudioBuffers, CreationChecksFormatAndSize) {
    struct Case {
        const char* what;
        uint32_t rate;
        uint16_t channels, bits;
        int alignDelta, averageDelta;
        uint32_t bytes;
        bool accepted;
    } cases[] = {
        {"16-bit stereo", 44100, 2, 16, 0, 0, 4096, true},
        {"8-bit mono", 22050, 1, 8, 0, 0, 4096, true},
        {"lowest rate", 100, 1, 16, 0, 0, 4096, true},
        {"highest rate", 200000, 2, 16, 0, 0, 4096, true},
        {"smallest size", 44100, 1, 8, 0, 0, 4, true},
        {"rate too low", 99, 1, 16, 0, 0, 4096, false},
        {"rate too high", 200001, 1, 16, 0, 0, 4096, false},
        {"three channels", 44100, 3, 16, 0, 0, 4096, false},
        {"24 bits", 44100, 2, 24, 0, 0, 4096, false},
        {"block align off", 44100, 2, 16, 2, 0, 4096, false},
        {"average bytes off", 44100, 2, 16, 0, 1, 4096, false},
        {"size too small", 44100, 1, 8, 0, 0, 3, false},
        {"size too large", 44100, 1, 8, 0, 0, 0x10000000, false},
    };
    for (const Case& c : cases) {
        WaveFormatEx format = pcmFormat(c.rate, c.channels, c.bits);
        format.nBlockAlign = static_cast<uint16_t>(format.nBlockAlign + c.alignDelta);
        format.nAvgBytesPerSec += c.averageDelta;
        DSBUFFERDESC description;
        description.dwSize = kBufferDescSize;
        description.dwFlags = DSBCAPS_CTRLVOLUME;
        description.dwBufferBytes = c.bytes;
        description.lpwfxFormat = &format;
        DirectSoundBuffer* buffer = nullptr;
        const HRESULT result = device_->CreateSoundBuffer(&description, &buffer, nullptr);
        EXPECT_EQ(SUCCEEDED(result), c.accepted) << c.what;
        if (!buffer) continue;
        void* first = nullptr;
        DWORD firstBytes = 0;
        ASSERT_EQ(buffer->Lock(0, 4, &first, &firstBytes, nullptr, nullptr, 0), DS_OK);
        EXPECT_EQ(std::memcmp(first, "\0\0\0\0", 4), 0) << c.what << ": zero-filled";
        buffer->Unlock(first, firstBytes, nullptr, 0);
        buffer->Release();
    }
}

TEST_F(AudioBuffers, EqualRateAtFullVolumePassesThroughBitExactly) {
    const auto stereo = rampSamples(2 * 1000, 2);
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 2, 16), samples16(stereo));
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    // Pulls of odd sizes cross period and wrap boundaries.
    std::vector<int16_t> rendered;
    for (uint32_t frames : {1u, 440u, 441u, 300u, 818u}) {
        const auto part = sink_->pull(frames);
        rendered.insert(rendered.end(), part.begin(), part.end());
    }
    ASSERT_EQ(rendered.size(), 2u * 2000);
    for (size_t i = 0; i < rendered.size(); ++i)
        ASSERT_EQ(rendered[i], stereo[i % stereo.size()]) << "sample " << i;
}

TEST_F(AudioBuffers, MonoPlaysAtFullLevelOnBothSides) {
    const auto mono = rampSamples(441, 3);
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 1, 16), samples16(mono));
    buffer->Play(0, 0, 0);
    const auto rendered = sink_->pull(441);
    for (size_t i = 0; i < mono.size(); ++i) {
        ASSERT_EQ(rendered[2 * i], mono[i]);
        ASSERT_EQ(rendered[2 * i + 1], mono[i]);
    }
}

TEST_F(AudioBuffers, EightBitSamplesAreUnsignedAroundHexEighty) {
    const std::vector<uint8_t> bytes = {0x80, 0x80, 0xFF, 0x00, 0x81, 0x7F};
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 1, 8), bytes);
    buffer->Play(0, 0, 0);
    const auto rendered = sink_->pull(8);
    const int16_t expected[] = {0, 0, 32512, -32768, 256, -256, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(rendered[2 * i], expected[i]) << i;
        EXPECT_EQ(rendered[2 * i + 1], expected[i]) << i;
    }
}

TEST_F(AudioBuffers, VolumeFollowsTheMillibelCurve) {
    const std::vector<int16_t> level(2 * 441, 20000);
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 2, 16), samples16(level));
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    struct Case {
        LONG millibels;
        int16_t expected;
    } cases[] = {{0, 20000}, {-600, 10024}, {-2000, 2000}, {-4000, 200}, {-9999, 0}, {-10000, 0}};
    for (const Case& c : cases) {
        ASSERT_EQ(buffer->SetVolume(c.millibels), DS_OK);
        const auto rendered = sink_->pull(441);
        EXPECT_NEAR(rendered[0], c.expected, 1) << c.millibels;
        EXPECT_EQ(rendered[0], rendered[881]) << c.millibels;
    }
    // Exactly silent at the floor, not merely quiet.
    const auto silent = sink_->pull(441);
    for (int16_t s : silent) ASSERT_EQ(s, 0);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
}

TEST_F(AudioBuffers, LoudVoicesSaturateAtSixteenBits) {
    const std::vector<int16_t> high(2 * 441, 30000), low(2 * 441, -30000);
    makeBuffer(pcmFormat(44100, 2, 16), samples16(high))->Play(0, 0, 0);
    makeBuffer(pcmFormat(44100, 2, 16), samples16(high))->Play(0, 0, 0);
    EXPECT_EQ(sink_->pull(1)[0], 32767);
    buffers_[0]->Stop();
    buffers_[1]->Stop();
    makeBuffer(pcmFormat(44100, 2, 16), samples16(low))->Play(0, 0, 0);
    makeBuffer(pcmFormat(44100, 2, 16), samples16(low))->Play(0, 0, 0);
    EXPECT_EQ(sink_->pull(1)[0], -32768);
}

TEST_F(AudioBuffers, NotificationAtZeroFiresInTheFirstPeriodAfterPlay) {
    // Two halves of 882 frames: offsets 0 and half, as a stream sets them.
    const uint32_t half = 882 * 4;
    DirectSoundBuffer* buffer =
        makeBuffer(pcmFormat(44100, 2, 16), std::vector<uint8_t>(2 * half, 0));
    auto event = platform::os::createEvent(false, false);
    DSBPOSITIONNOTIFY positions[2];
    positions[0].dwOffset = 0;
    positions[0].hEventNotify = event;
    positions[1].dwOffset = half;
    positions[1].hEventNotify = event;
    DirectSoundNotify* notify = nullptr;
    ASSERT_EQ(
        buffer->QueryInterface(InterfaceId::DirectSoundNotify, reinterpret_cast<void**>(&notify)),
        DS_OK);
    ASSERT_EQ(notify->SetNotificationPositions(2, positions), DS_OK);
    ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    EXPECT_EQ(notify->SetNotificationPositions(2, positions), DSERR_INVALIDCALL);

    sink_->pull(1);
    EXPECT_TRUE(signalled(event)) << "offset 0 in the first period";
    sink_->pull(880);
    EXPECT_FALSE(signalled(event)) << "frames 1 to 880 hold no offset";
    sink_->pull(1);
    EXPECT_FALSE(signalled(event)) << "frame 881 is the last before the half";
    sink_->pull(1);
    EXPECT_TRUE(signalled(event)) << "the half";
    sink_->pull(881);
    EXPECT_FALSE(signalled(event)) << "the cursor is back at 0, but frame 0 is not played yet";
    sink_->pull(1);
    EXPECT_TRUE(signalled(event)) << "wrapping back to 0";
    notify->Release();
}

TEST_F(AudioBuffers, OneShotBufferClearsPlayingAfterItsLastByte) {
    const std::vector<int16_t> level(2 * 1000, 1000);
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 2, 16), samples16(level));
    DWORD status = 0;
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    buffer->Stop();
    buffer->SetCurrentPosition(0);
    buffer->Play(0, 0, 0);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);

    auto rendered = sink_->pull(882);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    const auto tail = sink_->pull(441);
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u) << "the period that played the last byte ends the sound";
    rendered.insert(rendered.end(), tail.begin(), tail.end());
    for (size_t frame = 0; frame < rendered.size() / 2; ++frame)
        ASSERT_EQ(rendered[2 * frame], frame < 1000 ? 1000 : 0) << frame;
}

TEST_F(AudioBuffers, DuplicatesShareSamplesButNotCursorVolumeOrStatus) {
    auto samples = rampSamples(2 * 2000, 4);
    DirectSoundBuffer* original = makeBuffer(pcmFormat(44100, 2, 16), samples16(samples));
    DirectSoundBuffer* duplicate = nullptr;
    ASSERT_EQ(device_->DuplicateSoundBuffer(original, &duplicate), DS_OK);

    // Shared memory: a write through the original shows through the duplicate.
    void* first = nullptr;
    DWORD bytes = 0;
    ASSERT_EQ(original->Lock(0, 4, &first, &bytes, nullptr, nullptr, 0), DS_OK);
    std::memset(first, 0, 4);
    original->Unlock(first, bytes, nullptr, 0);
    samples[0] = samples[1] = 0;

    original->SetVolume(-10000);
    duplicate->Play(0, 0, 0);
    EXPECT_EQ(sink_->pull(500), std::vector<int16_t>(samples.begin(), samples.begin() + 1000));
    DWORD play = 0, status = 0;
    original->GetCurrentPosition(&play, nullptr);
    original->GetStatus(&status);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(status, 0u);
    duplicate->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 500u * 4);

    // The memory lives on with the duplicate after the original goes.
    buffers_.clear();
    original->Release();
    EXPECT_EQ(sink_->pull(500),
              std::vector<int16_t>(samples.begin() + 1000, samples.begin() + 2000));
    duplicate->Release();
}

TEST_F(AudioBuffers, LockSplitsAWrappingRangeIntoTwoRegions) {
    DirectSoundBuffer* buffer = makeBuffer(pcmFormat(44100, 2, 16), std::vector<uint8_t>(64));
    void *first = nullptr, *second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    ASSERT_EQ(buffer->Lock(56, 16, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(firstBytes, 8u);
    EXPECT_EQ(secondBytes, 8u);
    EXPECT_EQ(static_cast<uint8_t*>(first) - static_cast<uint8_t*>(second), 56);
    buffer->Unlock(first, firstBytes, second, secondBytes);
    ASSERT_EQ(buffer->Lock(0, 64, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(firstBytes, 64u);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(buffer->Lock(0, 65, &first, &firstBytes, &second, &secondBytes, 0),
              DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(64, 1, &first, &firstBytes, &second, &secondBytes, 0),
              DSERR_INVALIDPARAM);
}

TEST_F(AudioBuffers, PositionsMoveWhilePlaying) {
    DirectSoundBuffer* buffer =
        makeBuffer(pcmFormat(22050, 1, 16), std::vector<uint8_t>(2 * 22050));
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(buffer->SetCurrentPosition(1001), DS_OK);
    DWORD play = 0, write = 0;
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 1000u) << "aligned down to a frame";
    EXPECT_EQ(write, 1000u + 220 * 2) << "one 10 ms period ahead";
    sink_->pull(882);
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_NEAR(static_cast<double>(play), 1000 + 441 * 2, 2 * 2);
    EXPECT_EQ(buffer->SetCurrentPosition(2 * 22050), DSERR_INVALIDPARAM);
    DWORD frequency = 0;
    buffer->GetFrequency(&frequency);
    EXPECT_EQ(frequency, 22050u);
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(0), DS_OK);
}

// A 1 kHz sine at 22,050 Hz mixed at 44,100 Hz keeps its frequency and level, and what the
// filter adds besides the sine stays far below it.
TEST_F(AudioBuffers, ResampledSineKeepsFrequencyAndLevel) {
    const double pi = 3.14159265358979323846;
    for (uint32_t rate : {22050u, 11025u, 48000u, 32000u}) {
        const uint32_t frames = rate;  // one second, a whole number of periods
        std::vector<int16_t> sine(frames);
        for (uint32_t i = 0; i < frames; ++i)
            sine[i] = static_cast<int16_t>(std::lround(10000 * std::sin(2 * pi * 1000 * i / rate)));
        for (DirectSoundBuffer* b : buffers_) b->Stop();
        DirectSoundBuffer* buffer = makeBuffer(pcmFormat(rate, 1, 16), samples16(sine));
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        const auto rendered = sink_->pull(44100);
        // Least-squares fit of a 1 kHz sine and cosine to the left channel, past the start.
        double ss = 0, sc = 0, energy = 0;
        const int begin = 4410, end = 44100;
        for (int i = begin; i < end; ++i) {
            const double t = 2 * pi * 1000 * i / 44100.0;
            ss += rendered[2 * i] * std::sin(t);
            sc += rendered[2 * i] * std::cos(t);
            energy += double(rendered[2 * i]) * rendered[2 * i];
        }
        const double n = end - begin;
        const double amplitude = 2 * std::sqrt(ss * ss + sc * sc) / n;
        const double fitted = amplitude * amplitude / 2 * n;
        const double residual = std::max(0.0, energy - fitted);
        EXPECT_NEAR(amplitude, 10000, 100) << rate;
        EXPECT_LT(10 * std::log10(residual / fitted), -50) << rate << " Hz: noise and distortion";
    }
}

}  // namespace
}  // namespace tessera::test

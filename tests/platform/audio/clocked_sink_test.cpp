// The real-time sinks under a manual clock: the thread renders as the clock moves, and the
// WAV sink's file holds exactly what was rendered.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/audio/clocked_sink.h"
#include "platform/audio/direct_sound.h"
#include "platform/os/clock.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

using namespace platform::audio;

TEST(ClockedSink, WavFileSinkWritesWhatTheMixerRenders) {
    platform::os::ManualClock clock;
    platform::os::setClock(&clock);
    TempDir dir;
    const std::string path = dir.file("mix.wav");
    auto sink = std::make_shared<WavFileSink>(path);
    setDeviceOverride({false, sink});
    DirectSound* device = nullptr;
    ASSERT_EQ(directSoundCreate(nullptr, &device, nullptr), DS_OK);
    setDeviceOverride({});

    WaveFormatEx format{kWaveFormatPcm, 1, 44100, 88200, 2, 16, 0};
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_GLOBALFOCUS;
    description.dwBufferBytes = 2 * 64;
    description.lpwfxFormat = &format;
    DirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    std::vector<int16_t> pattern(64);
    for (int i = 0; i < 64; ++i) pattern[i] = static_cast<int16_t>(100 + 311 * i);
    void* first = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 128, &first, &bytes, nullptr, nullptr, 0);
    std::memcpy(first, pattern.data(), 128);
    buffer->Unlock(first, bytes, nullptr, 0);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    const uint64_t started = sink->framesRendered();
    while (sink->framesRendered() < started + 4410) std::this_thread::yield();
    buffer->Release();
    device->Release();  // stops the thread and completes the file
    platform::os::setClock(nullptr);

    const std::string file = readFileBytes(path);
    ASSERT_GE(file.size(), 44u);
    uint32_t riffSize = 0, dataSize = 0;
    std::memcpy(&riffSize, file.data() + 4, 4);
    std::memcpy(&dataSize, file.data() + 40, 4);
    EXPECT_EQ(file.compare(0, 4, "RIFF"), 0);
    EXPECT_EQ(dataSize, file.size() - 44);
    EXPECT_EQ(riffSize, file.size() - 8);
    EXPECT_EQ(dataSize, sink->framesRendered() * 4);
    // After the silence before Play, the pattern loops on both channels.
    const auto* samples = reinterpret_cast<const int16_t*>(file.data() + 44);
    const size_t count = dataSize / 2;
    size_t at = 0;
    while (at < count && samples[at] == 0) ++at;
    ASSERT_LT(at + 2 * 4000, count);
    for (size_t i = 0; i < 4000; ++i) {
        ASSERT_EQ(samples[at + 2 * i], pattern[i % 64]) << i;
        ASSERT_EQ(samples[at + 2 * i + 1], pattern[i % 64]) << i;
    }
}

}  // namespace
}  // namespace tessera::test

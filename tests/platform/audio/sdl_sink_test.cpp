// The SDL sink through SDL's "disk" driver, which writes what the callback renders to a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/audio/direct_sound.h"
#include "platform/audio/sdl_sink.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

using namespace platform::audio;

TEST(SdlSink, DiskDriverWritesTheMixedBytes) {
    TempDir dir;
    const std::string output = dir.file("out.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);

    auto sink = std::make_shared<SdlSink>();
    setDeviceOverride({false, sink});
    DirectSound* device = nullptr;
    const HRESULT created = directSoundCreate(nullptr, &device, nullptr);
    setDeviceOverride({});
    ASSERT_EQ(created, DS_OK) << "the disk driver did not open";

    // A looping 44,100 Hz stereo pattern of 100 frames, written before playing starts.
    WaveFormatEx format{kWaveFormatPcm, 2, 44100, 176400, 4, 16, 0};
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS;
    description.dwBufferBytes = 400;
    description.lpwfxFormat = &format;
    DirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    void* first = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 400, &first, &bytes, nullptr, nullptr, 0);
    std::vector<int16_t> samples(200);
    for (int i = 0; i < 200; ++i) samples[i] = static_cast<int16_t>(i * 97 - 5000);
    std::memcpy(first, samples.data(), 400);
    buffer->Unlock(first, bytes, nullptr, 0);

    const uint64_t before = sink->callbacks();
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    // Wait for callbacks that began after Play: their output holds the pattern throughout.
    while (sink->callbacks() < before + 4) std::this_thread::yield();
    buffer->Release();
    device->Release();  // closes the SDL device, so the file is complete

    const std::string written = readFileBytes(output);
    ASSERT_GE(written.size(), 4096u);
    // Find where the pattern starts (callbacks before Play wrote silence) and check a long
    // stretch after it.
    const auto* out = reinterpret_cast<const int16_t*>(written.data());
    const size_t count = written.size() / 2;
    size_t start = 0;
    while (start < count && out[start] != samples[0]) ++start;
    ASSERT_LT(start + 2000, count);
    for (size_t i = 0; i < 2000; ++i) ASSERT_EQ(out[start + i], samples[i % 200]) << "sample " << i;
}

}  // namespace
}  // namespace tessera::test

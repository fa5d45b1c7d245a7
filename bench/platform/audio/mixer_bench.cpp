#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/audio/direct_sound.h"
#include "platform/audio/manual_sink.h"

namespace {

using namespace platform::audio;

DirectSoundBuffer* makeLoop(DirectSound* device, uint32_t rate, uint16_t channels, double tone) {
    WaveFormatEx format{kWaveFormatPcm,
                        channels,
                        rate,
                        rate * 2u * channels,
                        static_cast<uint16_t>(2 * channels),
                        16,
                        0};
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_GLOBALFOCUS;
    description.dwBufferBytes = rate * format.nBlockAlign;  // one second
    description.lpwfxFormat = &format;
    DirectSoundBuffer* buffer = nullptr;
    device->CreateSoundBuffer(&description, &buffer, nullptr);
    void* first = nullptr;
    DWORD bytes = 0;
    buffer->Lock(0, 0, &first, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
    auto* samples = static_cast<int16_t*>(first);
    for (uint32_t i = 0; i < bytes / 2; ++i)
        samples[i] =
            static_cast<int16_t>(3000 * std::sin(6.283185307 * tone * (i / channels) / rate));
    buffer->Unlock(first, bytes, nullptr, 0);
    buffer->SetVolume(-600);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    return buffer;
}

void MixThirtyThreeVoices(benchmark::State& state) {
    auto sink = std::make_shared<ManualSink>();
    setDeviceOverride({false, sink});
    DirectSound* device = nullptr;
    directSoundCreate(nullptr, &device, nullptr);
    setDeviceOverride({});
    std::vector<DirectSoundBuffer*> buffers;
    for (int v = 0; v < 32; ++v) buffers.push_back(makeLoop(device, 22050, 1, 200 + 37 * v));
    buffers.push_back(makeLoop(device, 44100, 2, 440));
    constexpr uint32_t kFrames = 44100;  // one second per iteration
    for (auto _ : state) benchmark::DoNotOptimize(sink->pull(kFrames));
    state.SetItemsProcessed(state.iterations() * kFrames);
    // Seconds of sound mixed per second of time.
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    for (DirectSoundBuffer* buffer : buffers) buffer->Release();
    device->Release();
}
BENCHMARK(MixThirtyThreeVoices)->Unit(benchmark::kMillisecond);

}  // namespace

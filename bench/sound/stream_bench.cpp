// Streams one 60-second 44.1 kHz stereo Ogg Vorbis file (made at start-up with libvorbisenc)
// through a DsndStream into the manual sink, pulled as fast as the stream thread refills,
// and decodes the same file alone with ov_read; reports the ratio of their times.
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cstring>
#include <string>

#include "sound/DsndManager.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/sound/sound_probes.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 60.0;

const std::string& fixture() {
    static const std::string bytes = tessera::test::makeOggVorbis(2, kRate, kRate * 60);
    return bytes;
}

// The whole file through a stream. Before the pull crosses a half, it waits until the thread
// has handled the crossing before (copied the next second into the buffer), so the thread
// decodes ahead while the sink mixes, as it does in real time.
size_t streamOurs(const std::string& bytes) {
    tessera::test::StreamProbe probe;
    tessera::test::ManualDevice device;
    mirel::rcptr<mirel::DsndList> list;
    list.Create();
    mirel::DFile file;
    tessera::test::attachMemory(file, bytes);
    list->AddWave(file, 0);
    const mirel::rcptr<mirel::DsndStream> stream = device.manager.CreateStream(list);
    stream->Play(1.0f);
    probe.awaitGeneration(0);
    // One pull per second of sound, each beginning at a half's crossing.
    size_t frames = 0;
    bool pending = false;
    uint64_t seen = 0;
    while (stream->IsRunning()) {
        if (pending) probe.awaitGeneration(seen);
        seen = probe.generation();
        pending = true;
        benchmark::DoNotOptimize(device.sink->pull(kRate).data());
        frames += kRate;
    }
    return frames;
}

struct Memory {
    const std::string* bytes;
    size_t position;
};

size_t readMemory(void* out, size_t size, size_t count, void* source) {
    auto* memory = static_cast<Memory*>(source);
    const size_t n = std::min(size * count, memory->bytes->size() - memory->position);
    std::memcpy(out, memory->bytes->data() + memory->position, n);
    memory->position += n;
    return size ? n / size : 0;
}

size_t decodeAlone(const std::string& bytes) {
    Memory memory{&bytes, 0};
    OggVorbis_File vorbis;
    const ov_callbacks callbacks{readMemory, nullptr, nullptr, nullptr};
    if (ov_open_callbacks(&memory, &vorbis, nullptr, 0, callbacks) != 0) return 0;
    char buffer[4096];
    size_t total = 0;
    int section = 0;
    for (long got; (got = ov_read(&vorbis, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;)
        total += static_cast<size_t>(got);
    ov_clear(&vorbis);
    return total;
}

template <class Run>
double timeOf(Run run, const std::string& bytes) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(run(bytes));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_StreamOgg60s(benchmark::State& state) {
    const std::string& bytes = fixture();
    if (bytes.empty()) {
        state.SkipWithError("no fixture");
        return;
    }
    double ours = 0.0, alone = 0.0;
    for (auto _ : state) {
        ours += timeOf(streamOurs, bytes);
        alone += timeOf(decodeAlone, bytes);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["stream_x_realtime"] = kSeconds / (ours / n);
    state.counters["ov_read_x_realtime"] = kSeconds / (alone / n);
    state.counters["time_ratio_stream_to_ov_read"] = ours / alone;
}
BENCHMARK(BM_StreamOgg60s)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

#pragma once
// Seams for the playback suites: a stream-thread probe that runs time-outs on a manual clock
// one at a time, a pack served from memory, and a sound device on a manual sink.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/pack/LFmOverride.h"
#include "platform/audio/manual_sink.h"
#include "platform/os/clock.h"
#include "sound/DsndManager.h"
#include "sound/DsndStreamHooks.h"

namespace tessera::test {

// Installed as the stream hooks and as the process clock for its lifetime. A stream thread's
// wait with a time-out does not run out by itself: it waits for its events or for release(),
// which moves the clock by the time-out and lets that wait time out. Every volume given to a
// stream buffer is recorded.
class StreamProbe : public mirel::DsndStreamHooks {
public:
    StreamProbe();
    ~StreamProbe() override;

    uint32_t Wait(const platform::os::EventHandle* events, uint32_t count,
                  uint32_t milliseconds) override;
    void OnVolume(int32_t millibels) override;
    void OnThreadEnd() override;

    // Counts the waits entered and the thread ends so far.
    uint64_t generation();
    // Blocks until the generation has passed `seen` (a stream thread has come back to its wait
    // or has ended).
    void awaitGeneration(uint64_t seen);
    // Lets the next time-out wait run out; returns once the thread has taken it and come back to
    // a wait, or has ended.
    void release();
    std::vector<int32_t> volumes();

    platform::os::ManualClock clock;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t generation_ = 0;
    uint64_t released_ = 0;       // time-outs let run out
    uint64_t returnedAfter_ = 0;  // released_ when the thread last came back to a wait or ended
    std::vector<int32_t> volumes_;
    platform::os::EventHandle release_ = platform::os::createEvent(false, false);
};

// A sound device whose output is pulled by the test.
struct ManualDevice {
    ManualDevice();
    ~ManualDevice();
    std::shared_ptr<platform::audio::ManualSink> sink;
    mirel::DsndManager manager;
};

// Files of one pack, answered by name (ASCII letters without case) before any archive.
class MemoryPack : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override;
    void Open(mirel::DFile& file, const char* path, uint32_t flags) override;

    std::map<std::string, std::string> files;  // keys lower-cased, without the pack name
    uint32_t opens = 0;
};

// Installs a memory pack named "pack" (returned with its index) for the test's lifetime.
struct MemoryPackScope {
    MemoryPackScope();
    ~MemoryPackScope();
    mirel::rcptr<MemoryPack> pack;
    uint32_t index = 0;
};

// A 16-bit PCM WAVE file of `frames` frames whose samples count up from `seed`.
std::string countingWave(uint16_t channels, uint32_t rate, uint32_t frames, uint16_t seed = 1);

}  // namespace tessera::test

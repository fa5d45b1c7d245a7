#include "tests/sound/sound_probes.h"

#include <algorithm>

#include "foundation/pack/pack_registry.h"
#include "platform/audio/direct_sound.h"
#include "tests/foundation/support/memory_stream.h"
#include "tools/writers/riff_writer.h"

namespace tessera::test {

namespace os = platform::os;

StreamProbe::StreamProbe() {
    os::setClock(&clock);
    mirel::DsndSetStreamHooks(this);
}

StreamProbe::~StreamProbe() {
    mirel::DsndSetStreamHooks(nullptr);
    os::setClock(nullptr);
}

uint32_t StreamProbe::Wait(const os::EventHandle* events, uint32_t count, uint32_t milliseconds) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ++generation_;
        returnedAfter_ = released_;
        changed_.notify_all();
    }
    if (milliseconds == os::kInfinite)
        return os::waitForMultipleObjects(events, count, milliseconds);
    std::vector<os::EventHandle> all(events, events + count);
    all.push_back(release_);
    const uint32_t result = os::waitForMultipleObjects(all.data(), count + 1, os::kInfinite);
    if (result != os::kWaitObject0 + count) return result;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ++released_;
    }
    clock.advanceMilliseconds(milliseconds);
    return os::kWaitTimeout;
}

void StreamProbe::OnVolume(int32_t millibels) {
    std::lock_guard<std::mutex> guard(mutex_);
    volumes_.push_back(millibels);
}

void StreamProbe::OnThreadEnd() {
    std::lock_guard<std::mutex> guard(mutex_);
    ++generation_;
    returnedAfter_ = released_;
    changed_.notify_all();
}

uint64_t StreamProbe::generation() {
    std::lock_guard<std::mutex> guard(mutex_);
    return generation_;
}

void StreamProbe::awaitGeneration(uint64_t seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return generation_ > seen; });
}

void StreamProbe::release() {
    std::unique_lock<std::mutex> lock(mutex_);
    const uint64_t target = released_ + 1;
    release_->set();
    changed_.wait(lock, [&] { return returnedAfter_ >= target; });
}

std::vector<int32_t> StreamProbe::volumes() {
    std::lock_guard<std::mutex> guard(mutex_);
    return volumes_;
}

ManualDevice::ManualDevice() : sink(std::make_shared<platform::audio::ManualSink>()) {
    platform::audio::setDeviceOverride({false, sink});
    manager.Create(nullptr);
    platform::audio::setDeviceOverride({});
}

ManualDevice::~ManualDevice() { manager.Release(); }

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text;
}

}  // namespace

bool MemoryPack::Exists(const char* name) { return files.count(lower(name)) != 0; }

void MemoryPack::Open(mirel::DFile& file, const char* path, uint32_t) {
    std::string name = lower(path);
    if (name.rfind("pack/", 0) == 0) name = name.substr(5);
    ++opens;
    const auto found = files.find(name);
    attachMemory(file, found == files.end() ? std::string() : found->second, path);
}

MemoryPackScope::MemoryPackScope() {
    lfmReleasePacks();
    pack.Create();
    lfmRegistOverride(pack);
    index = lfmRegistPack("pack");
}

MemoryPackScope::~MemoryPackScope() { lfmReleasePacks(); }

std::string countingWave(uint16_t channels, uint32_t rate, uint32_t frames, uint16_t seed) {
    std::string data;
    data.reserve(static_cast<size_t>(frames) * channels * 2);
    uint16_t value = seed;
    for (uint32_t i = 0; i < frames * channels; ++i, ++value) {
        data.push_back(static_cast<char>(value & 0xFF));
        data.push_back(static_cast<char>(value >> 8));
    }
    return tools::writers::pcmWave(channels, rate, 16, data);
}

}  // namespace tessera::test

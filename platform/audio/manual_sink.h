#pragma once
// A sink that renders only when a test pulls, which makes notifications, ends of sounds and
// fades deterministic.
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/audio/sink.h"

namespace platform::audio {

class ManualSink : public Sink {
public:
    bool start(std::shared_ptr<Mixer> mixer) override;
    void stop() override;

    // Renders `frames` stereo frames; silence when no mixer is attached.
    std::vector<int16_t> pull(uint32_t frames);

private:
    std::mutex mutex_;
    std::shared_ptr<Mixer> mixer_;
};

}  // namespace platform::audio

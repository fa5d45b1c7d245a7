#pragma once
// The real sink: an SDL audio device opened at exactly 44,100 Hz stereo 16-bit, whose
// callback pulls the mixer; SDL converts to whatever the device wants.
#include <atomic>
#include <cstdint>

#include "platform/audio/sink.h"

namespace platform::audio {

class SdlSink final : public Sink {
public:
    ~SdlSink() override;
    bool start(std::shared_ptr<Mixer> mixer) override;
    void stop() override;

    // Callbacks run so far (tests wait on it rather than on time).
    uint64_t callbacks() const { return callbacks_; }

private:
    static void callback(void* self, uint8_t* stream, int bytes);

    std::shared_ptr<Mixer> mixer_;
    uint32_t device_ = 0;
    bool subsystem_ = false;
    std::atomic<uint64_t> callbacks_{0};
};

}  // namespace platform::audio

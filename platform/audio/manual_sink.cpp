#include "platform/audio/manual_sink.h"

namespace platform::audio {

bool ManualSink::start(std::shared_ptr<Mixer> mixer) {
    std::lock_guard<std::mutex> guard(mutex_);
    mixer_ = std::move(mixer);
    return true;
}

void ManualSink::stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    mixer_.reset();
}

std::vector<int16_t> ManualSink::pull(uint32_t frames) {
    std::shared_ptr<Mixer> mixer;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        mixer = mixer_;
    }
    std::vector<int16_t> samples(static_cast<size_t>(frames) * kMixChannels, 0);
    if (mixer) mixer->render(samples.data(), frames);
    return samples;
}

}  // namespace platform::audio

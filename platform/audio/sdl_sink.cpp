#include "platform/audio/sdl_sink.h"

#include <SDL.h>

#include "platform/audio/clocked_sink.h"
#include "platform/os/headless.h"

namespace platform::audio {

SdlSink::~SdlSink() { stop(); }

bool SdlSink::start(std::shared_ptr<Mixer> mixer) {
    stop();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystem_ = true;
    mixer_ = std::move(mixer);
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(kMixRate);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(kMixChannels);
    wanted.samples = 512;
    wanted.callback = &SdlSink::callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device_ == 0) {
        stop();
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlSink::stop() {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    mixer_.reset();
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
}

void SdlSink::callback(void* self, uint8_t* stream, int bytes) {
    auto* sink = static_cast<SdlSink*>(self);
    const uint32_t frames = static_cast<uint32_t>(bytes) / (kMixChannels * 2);
    sink->mixer_->render(reinterpret_cast<int16_t*>(stream), frames);
    ++sink->callbacks_;
}

std::shared_ptr<Sink> openDefaultSink(const std::shared_ptr<Mixer>& mixer) {
    if (!os::headlessRun()) {
        auto sdl = std::make_shared<SdlSink>();
        if (sdl->start(mixer)) return sdl;
    }
    auto null = std::make_shared<NullSink>();
    null->start(mixer);
    return null;
}

}  // namespace platform::audio

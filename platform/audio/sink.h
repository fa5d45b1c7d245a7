#pragma once
// Where the mixer's output goes. A sink pulls 44,100 Hz stereo 16-bit frames from the mixer
// between start() and stop().
#include <memory>

#include "platform/audio/mixer.h"

namespace platform::audio {

class Sink {
public:
    virtual ~Sink() = default;
    // False when the sink cannot run (no audio device, say).
    virtual bool start(std::shared_ptr<Mixer> mixer) = 0;
    virtual void stop() = 0;
};

// The sink a new device uses: the SDL audio device, or the real-time null sink when
// TESSERA_HEADLESS is set or no audio device opens.
std::shared_ptr<Sink> openDefaultSink(const std::shared_ptr<Mixer>& mixer);

}  // namespace platform::audio

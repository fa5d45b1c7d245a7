#pragma once
// The in-process mixer behind the DirectSound emulation: it sums every playing voice in float
// at 44,100 Hz stereo and saturates to 16 bits at the end. A sink pulls frames from it; each
// pull is cut into periods of at most 10 ms, and a voice's cursor, end and notifications
// move period by period.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/resampler.h"
#include "platform/audio/wave_format.h"
#include "platform/os/event.h"

namespace platform::audio {

inline constexpr uint32_t kMixRate = 44100;
inline constexpr uint32_t kMixChannels = 2;
inline constexpr uint32_t kPeriodFrames = 441;

// Sample memory, shared by a buffer and its duplicates.
struct SampleMemory {
    explicit SampleMemory(uint32_t bytes) : bytes(bytes, 0) {}
    std::vector<uint8_t> bytes;
};

struct Notification {
    uint32_t offset = 0;
    os::EventHandle event;
};

// What the mixer knows of one secondary buffer. Every field is guarded by the mixer's lock.
struct Voice {
    std::shared_ptr<SampleMemory> memory;
    WaveFormatEx format;
    uint32_t cursor = 0;  // next byte to consume
    bool playing = false;
    bool looping = false;
    float gain = 1.0f;
    uint32_t frequency = 0;  // 0: the format's rate
    std::vector<Notification> notifications;
    Resampler resampler;

    uint32_t size() const { return static_cast<uint32_t>(memory->bytes.size()); }
    uint32_t rate() const { return frequency ? frequency : format.nSamplesPerSec; }
};

class Mixer {
public:
    // Renders `frames` interleaved stereo frames into `output`.
    void render(int16_t* output, uint32_t frames);

    // The lock every buffer operation takes briefly; the audio thread holds it while it mixes
    // one period.
    std::mutex& lock() { return mutex_; }
    // Both under lock().
    void add(Voice* voice);
    void remove(Voice* voice);

private:
    // Mixes one period into mix_, collecting the events to signal once the lock is left.
    void mixPeriod(uint32_t frames, std::vector<os::EventHandle>& signals);
    void mixVoice(Voice& voice, uint32_t frames, std::vector<os::EventHandle>& signals);

    std::mutex mutex_;
    std::vector<Voice*> voices_;
    std::vector<float> mix_;
};

// Gain of an attenuation in hundredths of a decibel: 10^(mB / 2000), exactly 0 at -10000.
float gainOfMillibels(int32_t millibels);

}  // namespace platform::audio

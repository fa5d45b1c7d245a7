#include "platform/audio/mixer.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {

namespace {

// One source frame at `offset` as float samples on the 16-bit scale.
void readFrame(const Voice& voice, uint32_t offset, float& left, float& right) {
    const uint8_t* p = voice.memory->bytes.data() + offset;
    const bool stereo = voice.format.nChannels == 2;
    if (voice.format.wBitsPerSample == 8) {
        left = static_cast<float>((static_cast<int>(p[0]) - 128) * 256);
        right = stereo ? static_cast<float>((static_cast<int>(p[1]) - 128) * 256) : left;
    } else {
        left = static_cast<float>(static_cast<int16_t>(p[0] | (p[1] << 8)));
        right = stereo ? static_cast<float>(static_cast<int16_t>(p[2] | (p[3] << 8))) : left;
    }
}

int16_t saturate(float value) {
    if (value >= 32767.0f) return 32767;
    if (value <= -32768.0f) return -32768;
    return static_cast<int16_t>(std::lrintf(value));
}

// Signals every notification inside the consumed range [from, from + consumed), which may
// wrap past the end of the buffer.
void collectNotifications(const Voice& voice, uint32_t from, uint64_t consumed,
                          std::vector<os::EventHandle>& signals) {
    if (consumed == 0) return;
    const uint32_t size = voice.size();
    for (const Notification& note : voice.notifications) {
        const uint32_t ahead = note.offset >= from ? note.offset - from : note.offset + size - from;
        if (consumed >= size || ahead < consumed) signals.push_back(note.event);
    }
}

}  // namespace

float gainOfMillibels(int32_t millibels) {
    if (millibels <= -10000) return 0.0f;
    if (millibels >= 0) return 1.0f;
    return std::pow(10.0f, static_cast<float>(millibels) / 2000.0f);
}

void Mixer::add(Voice* voice) { voices_.push_back(voice); }

void Mixer::remove(Voice* voice) {
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void Mixer::render(int16_t* output, uint32_t frames) {
    std::vector<os::EventHandle> signals;
    while (frames > 0) {
        const uint32_t period = std::min(frames, kPeriodFrames);
        {
            std::lock_guard<std::mutex> guard(mutex_);
            mixPeriod(period, signals);
        }
        for (uint32_t i = 0; i < period * kMixChannels; ++i) output[i] = saturate(mix_[i]);
        for (const os::EventHandle& event : signals)
            if (event) event->set();
        signals.clear();
        output += period * kMixChannels;
        frames -= period;
    }
}

void Mixer::mixPeriod(uint32_t frames, std::vector<os::EventHandle>& signals) {
    mix_.assign(static_cast<size_t>(frames) * kMixChannels, 0.0f);
    for (Voice* voice : voices_)
        if (voice->playing) mixVoice(*voice, frames, signals);
}

void Mixer::mixVoice(Voice& voice, uint32_t frames, std::vector<os::EventHandle>& signals) {
    const uint32_t align = voice.format.nBlockAlign;
    const uint32_t size = voice.size();
    const uint32_t from = voice.cursor;
    uint64_t consumed = 0;
    bool ended = false;
    // The next source frame, or silence once a one-shot buffer has run out.
    auto fetch = [&](float& left, float& right) {
        if (ended) {
            left = right = 0.0f;
            return;
        }
        readFrame(voice, voice.cursor, left, right);
        voice.cursor += align;
        consumed += align;
        if (voice.cursor + align > size) {
            voice.cursor = 0;
            ended = !voice.looping;
        }
    };
    const float gain = voice.gain;
    float* out = mix_.data();
    if (voice.rate() == kMixRate) {
        for (uint32_t i = 0; i < frames && !ended; ++i) {
            float left, right;
            fetch(left, right);
            out[2 * i] += left * gain;
            out[2 * i + 1] += right * gain;
        }
    } else {
        const bool stereo = voice.format.nChannels == 2;
        voice.resampler.setRates(voice.rate(), kMixRate);
        for (uint32_t i = 0; i < frames; ++i) {
            for (uint32_t n = voice.resampler.framesWanted(); n > 0; --n) {
                float left, right;
                fetch(left, right);
                voice.resampler.push(left, right);
            }
            float left, right;
            voice.resampler.next(left, right, stereo);
            out[2 * i] += left * gain;
            out[2 * i + 1] += right * gain;
        }
    }
    collectNotifications(voice, from, consumed, signals);
    if (ended) voice.playing = false;
}

}  // namespace platform::audio

#include "platform/audio/clocked_sink.h"

#include <algorithm>
#include <vector>

#include "platform/audio/wav_header.h"
#include "platform/os/clock.h"

namespace platform::audio {

ClockedSink::~ClockedSink() { ClockedSink::stop(); }

bool ClockedSink::start(std::shared_ptr<Mixer> mixer) {
    ClockedSink::stop();
    mixer_ = std::move(mixer);
    running_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void ClockedSink::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    mixer_.reset();
}

void ClockedSink::run() {
    os::Clock& clock = os::clock();
    const uint64_t frequency = clock.counterFrequency();
    const uint64_t begin = clock.counter();
    uint64_t rendered = 0;
    std::vector<int16_t> block(kPeriodFrames * kMixChannels);
    while (running_) {
        const uint64_t due = (clock.counter() - begin) * kMixRate / frequency;
        while (rendered < due && running_) {
            const uint32_t frames =
                static_cast<uint32_t>(std::min<uint64_t>(due - rendered, kPeriodFrames));
            mixer_->render(block.data(), frames);
            consume(block.data(), frames);
            rendered += frames;
            framesRendered_ += frames;
        }
        clock.sleep(5);
    }
}

WavFileSink::~WavFileSink() { stop(); }

bool WavFileSink::start(std::shared_ptr<Mixer> mixer) {
    stop();
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) return false;
    dataBytes_ = 0;
    const WavHeader header = makeWavHeader(kMixRate, kMixChannels, 0);
    std::fwrite(&header, sizeof header, 1, file_);
    return ClockedSink::start(std::move(mixer));
}

void WavFileSink::stop() {
    ClockedSink::stop();
    if (!file_) return;
    const WavHeader header = makeWavHeader(kMixRate, kMixChannels, dataBytes_);
    std::fseek(file_, 0, SEEK_SET);
    std::fwrite(&header, sizeof header, 1, file_);
    std::fclose(file_);
    file_ = nullptr;
}

void WavFileSink::consume(const int16_t* samples, uint32_t frames) {
    const uint32_t bytes = frames * kMixChannels * 2;
    std::fwrite(samples, 1, bytes, file_);
    dataBytes_ += bytes;
}

}  // namespace platform::audio

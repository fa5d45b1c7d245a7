#pragma once
// A sink with its own thread that pulls frames in real time from the process clock
// (platform::os::clock()): the null sink drops them, the WAV sink writes them to a file.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/audio/sink.h"

namespace platform::audio {

class ClockedSink : public Sink {
public:
    ~ClockedSink() override;
    bool start(std::shared_ptr<Mixer> mixer) override;
    void stop() override;

    // Frames pulled so far (tests wait on it rather than on time).
    uint64_t framesRendered() const { return framesRendered_; }

protected:
    // Called on the sink's thread with each rendered block.
    virtual void consume(const int16_t* samples, uint32_t frames) = 0;

private:
    void run();

    std::shared_ptr<Mixer> mixer_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<uint64_t> framesRendered_{0};
};

class NullSink final : public ClockedSink {
public:
    ~NullSink() override { stop(); }

protected:
    void consume(const int16_t*, uint32_t) override {}
};

// Writes everything it pulls to a 44,100 Hz stereo 16-bit WAV file, for listening checks.
class WavFileSink final : public ClockedSink {
public:
    explicit WavFileSink(std::string path) : path_(std::move(path)) {}
    ~WavFileSink() override;
    bool start(std::shared_ptr<Mixer> mixer) override;
    void stop() override;

protected:
    void consume(const int16_t* samples, uint32_t frames) override;

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    uint32_t dataBytes_ = 0;
};

}  // namespace platform::audio

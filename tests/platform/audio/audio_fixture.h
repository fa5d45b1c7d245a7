#pragma once
// A device on a manual sink and helpers to make buffers on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/direct_sound.h"
#include "platform/audio/manual_sink.h"

namespace tessera::test {

class AudioDeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static platform::audio::WaveFormatEx pcmFormat(uint32_t rate, uint16_t channels, uint16_t bits);
    // A secondary buffer holding `bytes` (its size), with volume, frequency and notification
    // control as the streams ask for.
    platform::audio::DirectSoundBuffer* makeBuffer(const platform::audio::WaveFormatEx& format,
                                                   const std::vector<uint8_t>& bytes);
    static std::vector<uint8_t> samples16(const std::vector<int16_t>& samples);

    std::shared_ptr<platform::audio::ManualSink> sink_;
    platform::audio::DirectSound* device_ = nullptr;
    std::vector<platform::audio::DirectSoundBuffer*> buffers_;
};

}  // namespace tessera::test

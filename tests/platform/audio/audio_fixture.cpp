#include "tests/platform/audio/audio_fixture.h"

#include <cstring>

namespace tessera::test {

using namespace platform::audio;

void AudioDeviceTest::SetUp() {
    sink_ = std::make_shared<ManualSink>();
    setDeviceOverride({false, sink_});
    ASSERT_EQ(directSoundCreate(nullptr, &device_, nullptr), DS_OK);
    setDeviceOverride({});
}

void AudioDeviceTest::TearDown() {
    for (DirectSoundBuffer* buffer : buffers_) buffer->Release();
    if (device_) device_->Release();
}

WaveFormatEx AudioDeviceTest::pcmFormat(uint32_t rate, uint16_t channels, uint16_t bits) {
    WaveFormatEx format;
    format.wFormatTag = kWaveFormatPcm;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

DirectSoundBuffer* AudioDeviceTest::makeBuffer(const WaveFormatEx& format,
                                               const std::vector<uint8_t>& bytes) {
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPOSITIONNOTIFY |
                          DSBCAPS_GLOBALFOCUS | DSBCAPS_LOCSOFTWARE;
    description.dwBufferBytes = static_cast<DWORD>(bytes.size());
    description.lpwfxFormat = &format;
    DirectSoundBuffer* buffer = nullptr;
    EXPECT_EQ(device_->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
    if (!buffer) return nullptr;
    void* first = nullptr;
    DWORD firstBytes = 0;
    EXPECT_EQ(buffer->Lock(0, 0, &first, &firstBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER),
              DS_OK);
    std::memcpy(first, bytes.data(), firstBytes);
    buffer->Unlock(first, firstBytes, nullptr, 0);
    buffers_.push_back(buffer);
    return buffer;
}

std::vector<uint8_t> AudioDeviceTest::samples16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

}  // namespace tessera::test

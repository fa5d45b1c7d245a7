// A writer thread refills the half of a looping buffer that is not playing, as a stream does,
// while the test pulls the mixer: what comes out is exactly what was written, in order.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "tests/platform/audio/audio_fixture.h"

namespace tessera::test {
namespace {

using namespace platform::audio;

using StreamWriter = AudioDeviceTest;

TEST_F(StreamWriter, RefillsBetweenNotificationsArriveInOrder) {
    constexpr uint32_t kHalfFrames = 882;
    constexpr uint32_t kHalf = kHalfFrames * 4;
    constexpr int kHalvesToPlay = 12;
    DirectSoundBuffer* buffer =
        makeBuffer(pcmFormat(44100, 2, 16), std::vector<uint8_t>(2 * kHalf, 0));
    // A sample's value is its frame number in the whole stream (mod 2^15), on both sides.
    auto fill = [&](uint32_t offset, uint32_t firstFrame) {
        void *first = nullptr, *second = nullptr;
        DWORD firstBytes = 0, secondBytes = 0;
        ASSERT_EQ(buffer->Lock(offset, kHalf, &first, &firstBytes, &second, &secondBytes, 0),
                  DS_OK);
        auto* out = static_cast<int16_t*>(first);
        for (uint32_t i = 0; i < kHalfFrames; ++i)
            out[2 * i] = out[2 * i + 1] = static_cast<int16_t>((firstFrame + i) & 0x7FFF);
        buffer->Unlock(first, firstBytes, second, secondBytes);
    };
    fill(0, 0);
    fill(kHalf, kHalfFrames);

    auto event = platform::os::createEvent(false, false);
    DSBPOSITIONNOTIFY positions[2];
    positions[0] = {0, event};
    positions[1] = {kHalf, event};
    DirectSoundNotify* notify = nullptr;
    ASSERT_EQ(
        buffer->QueryInterface(InterfaceId::DirectSoundNotify, reinterpret_cast<void**>(&notify)),
        DS_OK);
    notify->SetNotificationPositions(2, positions);

    std::mutex mutex;
    std::condition_variable handledChanged;
    int handled = 0;
    std::thread writer([&] {
        // Notification n (n >= 1) means half n % 2 started playing; the other half, played
        // last as half n - 1, gets the frames of half n + 1.
        for (int n = 0; n < kHalvesToPlay; ++n) {
            event->wait(platform::os::kInfinite);
            if (n >= 1) fill(((n + 1) % 2) * kHalf, (n + 1) * kHalfFrames);
            std::lock_guard<std::mutex> guard(mutex);
            ++handled;
            handledChanged.notify_all();
        }
    });

    buffer->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<int16_t> rendered;
    for (int n = 0; n < kHalvesToPlay; ++n) {
        // The first frame of half n signals notification n; the writer then fills the other
        // half while this thread mixes the rest of half n.
        auto part = sink_->pull(1);
        rendered.insert(rendered.end(), part.begin(), part.end());
        part = sink_->pull(kHalfFrames - 1);
        rendered.insert(rendered.end(), part.begin(), part.end());
        std::unique_lock<std::mutex> lock(mutex);
        handledChanged.wait(lock, [&] { return handled >= n + 1; });
    }
    writer.join();
    ASSERT_EQ(rendered.size(), size_t{2} * kHalfFrames * kHalvesToPlay);
    for (uint32_t frame = 0; frame < kHalfFrames * kHalvesToPlay; ++frame)
        ASSERT_EQ(rendered[2 * frame], static_cast<int16_t>(frame & 0x7FFF)) << frame;
    notify->Release();
}

}  // namespace
}  // namespace tessera::test

#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/DList.h"
#include "foundation/DObject.h"
#include "foundation/DSection.h"
#include "foundation/DThread.h"
#include "foundation/rcptr.h"
#include "platform/audio/direct_sound.h"
#include "platform/os/event.h"
#include "sound/DsndList.h"

namespace mirel {

class DsndManager;
class DsndStreamHooks;

// Plays a DsndList through one looping buffer of two seconds in two one-second halves. A
// thread of the stream's own refills the half that has just finished playing, one second of
// PCM at a time, when the buffer's cursor crosses a half. The calling (main) thread controls
// it through command bits and events only: Play and the volume commands return when the
// thread has taken them, Stop when the thread has ended.
class DsndStream : public DObject {
public:
    // Command bits; the word is 0 while the stream is idle.
    static constexpr uint32_t kRunning = 0x1;
    static constexpr uint32_t kLeave = 0x2;
    static constexpr uint32_t kFadeRequest = 0x10;
    static constexpr uint32_t kFading = 0x20;
    static constexpr uint32_t kVolumeRequest = 0x40;

    DsndStream() = default;
    ~DsndStream() override;
    DsndStream(const DsndStream&) = delete;
    DsndStream& operator=(const DsndStream&) = delete;

    // Binds the stream to a non-empty list and makes its buffer (for the first source's
    // format), notifications and events. False when already bound or when a step fails.
    bool _Init(const rcptr<DsndList>& list, DsndManager* manager);
    // Idle: rewinds the list, starts the thread and waits until it has primed the buffer and
    // started playing (or has ended). Running: nothing.
    void Play(float volume);
    // Running: asks the thread to leave and waits for its end. Idle: nothing.
    void Stop();
    // The volume becomes factor x the play volume; ends a running fade. Ignored while idle or
    // while a volume request is pending.
    void SetVolume(float factor);
    // Fades to silence over the time, in 50 ms steps; the stream runs on, silent. Ignored while
    // idle, or while a fade is requested or running.
    void FadeOut(uint32_t milliseconds);
    // Stops the thread and frees everything; false when not bound. The stream may be bound again.
    bool _Release();

    // The command bits, read without the lock.
    uint32_t GetCommand() const { return command_.load(); }
    bool IsRunning() const { return GetCommand() != 0; }

    // The thread procedure: runs the stream thread and returns 1.
    static uint32_t _ThreadEntry(void* stream);

private:
    friend class DsndManager;

    void _ThreadMain(DsndStreamHooks& hooks);
    // Decodes the next second of the list into the scratch buffer; true once the list has run
    // out (the rest is silence).
    bool _FillHalf();
    // Copies the scratch into `bytes` at `offset` of the buffer (the whole buffer when `whole`),
    // restoring and locking once more when the lock fails. False when it cannot be locked.
    bool _CopyScratch(uint32_t offset, bool whole);
    void _FadeStep(DsndStreamHooks& hooks);
    void _SetBufferVolume(DsndStreamHooks& hooks, int32_t millibels);
    // Under the lock: a fresh acknowledgement, then the command bit and the command event.
    void _PostCommand(uint32_t bit);
    void _WaitAcknowledge();

    DsndManager* manager_ = nullptr;
    rcptr<DsndList> list_;
    platform::audio::DirectSoundBuffer* buffer_ = nullptr;
    platform::audio::DirectSoundNotify* notify_ = nullptr;
    DSection lock_;
    platform::os::EventHandle notifyEvent_;
    platform::os::EventHandle commandEvent_;
    platform::os::EventHandle acknowledgeEvent_;
    // Set when a run of the thread has ended: made anew for each run, so the end of a former
    // run never answers for the next.
    platform::os::EventHandle endedEvent_;
    float volumeFactor_ = 1.0f;
    float playVolume_ = 1.0f;
    DThread thread_;
    std::atomic<uint32_t> command_{0};
    std::vector<uint8_t> scratch_;
    uint32_t halfSize_ = 0;
    uint32_t fadeStart_ = 0;
    uint32_t fadeLength_ = 0;
    uint32_t nextFadeStep_ = 0;
    uint32_t waitTimeout_ = platform::os::kInfinite;
    // PCM bytes the current source has delivered since it last started from its beginning: a
    // looping source that delivers nothing in a whole pass stops looping.
    uint32_t passBytes_ = 0;
    DList<DsndStream>::Iterator node_;
};

}  // namespace mirel

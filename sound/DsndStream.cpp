#include "sound/DsndStream.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/os/clock.h"
#include "sound/DsndManager.h"
#include "sound/DsndStreamHooks.h"
#include "sound/DsndVolume.h"

namespace mirel {

using namespace platform::audio;
namespace os = platform::os;

namespace {

constexpr uint32_t kFadeStepMilliseconds = 50;
constexpr float kFadeCurve = 0.005f;

uint8_t silenceByte(const WaveFormatEx& format) { return format.wBitsPerSample == 8 ? 0x80 : 0; }

}  // namespace

DsndStream::~DsndStream() { _Release(); }

bool DsndStream::_Init(const rcptr<DsndList>& list, DsndManager* manager) {
    if (manager_ || !list || !list->_FirstWave() || !manager || !manager->_GetDirectSound()) {
        return false;
    }
    manager_ = manager;
    list_ = list;
    const WaveFormatEx format = list->_FirstWave()->wave.GetPcmFormat();
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_CTRLVOLUME |
                          DSBCAPS_CTRLFREQUENCY | DSBCAPS_LOCSOFTWARE;
    description.dwBufferBytes = 2 * format.nAvgBytesPerSec;
    description.lpwfxFormat = &format;
    bool made =
        SUCCEEDED(manager->_GetDirectSound()->CreateSoundBuffer(&description, &buffer_, nullptr));
    if (made) {
        halfSize_ = format.nAvgBytesPerSec;
        scratch_.assign(halfSize_, 0);
        notifyEvent_ = os::createEvent(false, false);
        void* notify = nullptr;
        made = SUCCEEDED(buffer_->QueryInterface(InterfaceId::DirectSoundNotify, &notify));
        notify_ = static_cast<DirectSoundNotify*>(notify);
    }
    if (made) {
        const DSBPOSITIONNOTIFY positions[2] = {{0, notifyEvent_}, {halfSize_, notifyEvent_}};
        made = SUCCEEDED(notify_->SetNotificationPositions(2, positions));
    }
    if (!made) {
        _Release();
        return false;
    }
    command_ = 0;
    commandEvent_ = os::createEvent(false, false);
    acknowledgeEvent_ = os::createEvent(false, false);
    return true;
}

bool DsndStream::_Release() {
    if (!manager_) return false;
    Stop();
    // A run that ended by itself may still be leaving its procedure.
    if (thread_.IsStarted()) os::waitForSingleObject(endedEvent_, os::kInfinite);
    thread_.Close();
    DsndManager* manager = manager_;
    manager_ = nullptr;
    manager->_RemoveStream(*this);
    scratch_.clear();
    scratch_.shrink_to_fit();
    if (notify_) notify_->Release();
    notify_ = nullptr;
    if (buffer_) buffer_->Release();
    buffer_ = nullptr;
    acknowledgeEvent_.reset();
    commandEvent_.reset();
    notifyEvent_.reset();
    endedEvent_.reset();
    list_.Reset();
    return true;
}

void DsndStream::Play(float volume) {
    if (!manager_) return;
    os::EventHandle ended;
    {
        std::lock_guard<DSection> guard(lock_);
        if (command_ != 0) return;
        list_->Rewind();
        if (thread_.IsStarted()) os::waitForSingleObject(endedEvent_, os::kInfinite);
        thread_.Close();
        playVolume_ = volume;
        acknowledgeEvent_->reset();
        endedEvent_ = os::createEvent(true, false);
        ended = endedEvent_;
        if (!thread_.Start(&DsndStream::_ThreadEntry, this)) return;
    }
    // The thread may end during its start-up without acknowledging: its end answers too.
    const os::EventHandle events[2] = {acknowledgeEvent_, ended};
    os::waitForMultipleObjects(events, 2, os::kInfinite);
}

void DsndStream::Stop() {
    os::EventHandle ended;
    {
        std::lock_guard<DSection> guard(lock_);
        if (command_ == 0) return;
        command_ |= kLeave;
        commandEvent_->set();
        ended = endedEvent_;
    }
    os::waitForSingleObject(ended, os::kInfinite);
}

void DsndStream::_PostCommand(uint32_t bit) {
    acknowledgeEvent_->reset();
    command_ |= bit;
    commandEvent_->set();
}

void DsndStream::_WaitAcknowledge() {
    const os::EventHandle events[2] = {acknowledgeEvent_, endedEvent_};
    os::waitForMultipleObjects(events, 2, os::kInfinite);
}

void DsndStream::SetVolume(float factor) {
    {
        std::lock_guard<DSection> guard(lock_);
        if (command_ == 0 || (command_ & kVolumeRequest)) return;
        volumeFactor_ = factor;
        _PostCommand(kVolumeRequest);
    }
    _WaitAcknowledge();
}

void DsndStream::FadeOut(uint32_t milliseconds) {
    {
        std::lock_guard<DSection> guard(lock_);
        if (command_ == 0 || (command_ & (kFadeRequest | kFading))) return;
        fadeLength_ = milliseconds;
        _PostCommand(kFadeRequest);
    }
    _WaitAcknowledge();
}

uint32_t DsndStream::_ThreadEntry(void* stream) {
    auto* self = static_cast<DsndStream*>(stream);
    // Nothing of the stream is touched after the end is signalled: its owner may free it then.
    const os::EventHandle ended = self->endedEvent_;
    DsndStreamHooks& hooks = DsndGetStreamHooks();
    self->_ThreadMain(hooks);
    hooks.OnThreadEnd();
    ended->set();
    return 1;
}

void DsndStream::_SetBufferVolume(DsndStreamHooks& hooks, int32_t millibels) {
    buffer_->SetVolume(millibels);
    hooks.OnVolume(millibels);
}

bool DsndStream::_CopyScratch(uint32_t offset, bool whole) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    const DWORD flags = whole ? DSBLOCK_ENTIREBUFFER : 0;
    if (FAILED(
            buffer_->Lock(offset, halfSize_, &first, &firstBytes, &second, &secondBytes, flags))) {
        buffer_->Restore();
        if (FAILED(buffer_->Lock(offset, halfSize_, &first, &firstBytes, &second, &secondBytes,
                                 flags))) {
            return false;
        }
    }
    const uint32_t n = std::min<uint32_t>(firstBytes, halfSize_);
    std::memcpy(first, scratch_.data(), n);
    buffer_->Unlock(first, firstBytes, second, secondBytes);
    return true;
}

bool DsndStream::_FillHalf() {
    const rcptr<DsndList::_DATA>& first = list_->_FirstWave();
    rcptr<DsndList::_DATA> current = list_->_CurrentWave();
    if (!current) {
        std::fill(scratch_.begin(), scratch_.end(), silenceByte(first->wave.GetPcmFormat()));
        return true;
    }
    uint8_t silence = silenceByte(current->wave.GetPcmFormat());
    uint32_t filled = 0;
    bool retried = false;
    for (;;) {
        const int32_t got = current->wave.Read(scratch_.data() + filled, halfSize_ - filled);
        if (got > 0) {
            filled += static_cast<uint32_t>(got);
            passBytes_ += static_cast<uint32_t>(got);
            retried = false;
            if (filled >= halfSize_) return false;
            continue;
        }
        if (!retried) {
            retried = true;
            continue;
        }
        // The source has ended. One that gave nothing in a whole pass would repeat for ever
        // without filling anything, so it stops looping.
        current->wave.EndDecode();
        if (passBytes_ == 0) current->loop = 0;
        if (!list_->_Advance()) {
            std::fill(scratch_.begin() + filled, scratch_.end(), silence);
            return true;
        }
        current = list_->_CurrentWave();
        silence = silenceByte(current->wave.GetPcmFormat());
        current->wave.Rewind();
        current->wave.BeginDecode();
        passBytes_ = 0;
        retried = false;
    }
}

void DsndStream::_FadeStep(DsndStreamHooks& hooks) {
    const uint32_t now = os::clock().milliseconds();
    const uint32_t elapsed = now - fadeStart_;
    if (elapsed < fadeLength_ && waitTimeout_ != 0) {
        const float volume = static_cast<float>(
            (1.0 - static_cast<double>(elapsed) / static_cast<double>(fadeLength_)) *
            static_cast<double>(playVolume_));
        _SetBufferVolume(hooks, DsndVolumeToMillibel(volume, kFadeCurve));
        nextFadeStep_ += kFadeStepMilliseconds;
        while (nextFadeStep_ < fadeStart_ + fadeLength_) {
            if (nextFadeStep_ >= now) {
                waitTimeout_ = nextFadeStep_ - now;
                return;
            }
            nextFadeStep_ += kFadeStepMilliseconds;
        }
        waitTimeout_ = 0;
        return;
    }
    _SetBufferVolume(hooks, DSBVOLUME_MIN);
    command_ &= ~kFading;
    waitTimeout_ = os::kInfinite;
}

void DsndStream::_ThreadMain(DsndStreamHooks& hooks) {
    std::unique_lock<DSection> guard(lock_);
    command_ = kRunning;
    commandEvent_->reset();
    notifyEvent_->reset();
    waitTimeout_ = os::kInfinite;
    const rcptr<DsndList::_DATA> started = list_->_CurrentWave();
    if (started) started->wave.BeginDecode();
    passBytes_ = 0;
    const auto exit = [&] {
        if (const rcptr<DsndList::_DATA>& current = list_->_CurrentWave()) {
            current->wave.EndDecode();
        }
        buffer_->Stop();
        command_ = 0;
    };

    _SetBufferVolume(hooks, DsndVolumeToMillibel(playVolume_, 0.0f));
    buffer_->SetFrequency(DSBFREQUENCY_ORIGINAL);
    buffer_->SetCurrentPosition(0);
    uint32_t endCount = _FillHalf() ? 1 : 0;
    if (!_CopyScratch(0, true)) return exit();
    if (_FillHalf()) ++endCount;
    if (FAILED(buffer_->Play(0, 0, DSBPLAY_LOOPING))) return exit();
    acknowledgeEvent_->set();
    uint32_t nextHalf = halfSize_;

    for (;;) {
        const os::EventHandle events[2] = {notifyEvent_, commandEvent_};
        const uint32_t timeout = waitTimeout_;
        guard.unlock();
        const uint32_t result = hooks.Wait(events, 2, timeout);
        guard.lock();
        if (result == os::kWaitObject0) {
            if (endCount >= 3) {
                acknowledgeEvent_->set();
                return exit();
            }
            if (!_CopyScratch(nextHalf, false)) return exit();
            nextHalf = nextHalf == halfSize_ ? 0 : halfSize_;
            if (_FillHalf()) ++endCount;
        } else if (result == os::kWaitTimeout) {
            if (command_ & kFading) _FadeStep(hooks);
        } else {
            const uint32_t command = command_;
            if (command & kLeave) {
                command_ &= ~kLeave;
                acknowledgeEvent_->set();
                return exit();
            }
            if (command & kFadeRequest) {
                fadeStart_ = os::clock().milliseconds();
                waitTimeout_ = std::min(fadeLength_, kFadeStepMilliseconds);
                nextFadeStep_ = fadeStart_ + waitTimeout_;
                command_ = (command_ & ~kFadeRequest) | kFading;
                acknowledgeEvent_->set();
            }
            if (command & kVolumeRequest) {
                if (command_ & kFading) {
                    command_ &= ~kFading;
                    waitTimeout_ = os::kInfinite;
                }
                _SetBufferVolume(hooks, DsndVolumeToMillibel(volumeFactor_ * playVolume_, 0.0f));
                command_ &= ~kVolumeRequest;
                acknowledgeEvent_->set();
            }
        }
    }
}

}  // namespace mirel

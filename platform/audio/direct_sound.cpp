#include "platform/audio/direct_sound.h"

#include <mutex>
#include <new>

namespace platform::audio {

namespace {

std::mutex overrideMutex;
DeviceOverride deviceOverride;

bool validSecondaryFormat(const WaveFormatEx& f) {
    if (f.wFormatTag != kWaveFormatPcm) return false;
    if (f.nChannels != 1 && f.nChannels != 2) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX) return false;
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) return false;
    return f.nAvgBytesPerSec == f.nSamplesPerSec * f.nBlockAlign;
}

}  // namespace

void setDeviceOverride(DeviceOverride value) {
    std::lock_guard<std::mutex> guard(overrideMutex);
    deviceOverride = std::move(value);
}

HRESULT directSoundCreate(const void* device, DirectSound** object, void* outer) {
    if (!object || device || outer) return DSERR_INVALIDPARAM;
    *object = nullptr;
    DeviceOverride seams;
    {
        std::lock_guard<std::mutex> guard(overrideMutex);
        seams = deviceOverride;
    }
    if (seams.failCreate) return DSERR_NODRIVER;
    auto mixer = std::make_shared<Mixer>();
    std::shared_ptr<Sink> sink = seams.sink;
    if (sink) {
        if (!sink->start(mixer)) return DSERR_NODRIVER;
    } else {
        sink = openDefaultSink(mixer);
    }
    *object = new DirectSound(std::move(mixer), std::move(sink));
    return DS_OK;
}

HRESULT directSoundEnumerate(EnumerateCallback callback, void* context) {
    if (!callback) return DSERR_INVALIDPARAM;
    callback(nullptr, "Primary Sound Driver", "", context);
    return DS_OK;
}

DirectSound::DirectSound(std::shared_ptr<Mixer> mixer, std::shared_ptr<Sink> sink)
    : mixer_(std::move(mixer)), sink_(std::move(sink)) {}

DirectSound::~DirectSound() { sink_->stop(); }

HRESULT DirectSound::SetCooperativeLevel(void*, DWORD) { return DS_OK; }

HRESULT DirectSound::CreateSoundBuffer(const DSBUFFERDESC* description, DirectSoundBuffer** buffer,
                                       void* outer) {
    if (!buffer || !description || outer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (description->dwSize != kBufferDescSize) return DSERR_INVALIDPARAM;
    const DWORD flags = description->dwFlags;
    if (flags & DSBCAPS_PRIMARYBUFFER) {
        if (description->dwBufferBytes != 0 || description->lpwfxFormat) return DSERR_INVALIDPARAM;
        *buffer = new DirectSoundBuffer(mixer_, flags);
        return DS_OK;
    }
    // Neither 3-D control nor hardware mixing is offered.
    if (flags & (DSBCAPS_CTRL3D | DSBCAPS_LOCHARDWARE)) return DSERR_INVALIDPARAM;
    const WaveFormatEx* format = description->lpwfxFormat;
    if (!format || !validSecondaryFormat(*format)) return DSERR_BADFORMAT;
    const DWORD bytes = description->dwBufferBytes;
    if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
    auto* made = new (std::nothrow) DirectSoundBuffer(mixer_, flags);
    if (!made) return DSERR_OUTOFMEMORY;
    try {
        made->voice_.memory = std::make_shared<SampleMemory>(bytes);
    } catch (const std::bad_alloc&) {
        made->Release();
        return DSERR_OUTOFMEMORY;
    }
    made->voice_.format = *format;
    made->voice_.format.cbSize = 0;
    {
        std::lock_guard<std::mutex> guard(mixer_->lock());
        mixer_->add(&made->voice_);
    }
    *buffer = made;
    return DS_OK;
}

HRESULT DirectSound::DuplicateSoundBuffer(DirectSoundBuffer* original,
                                          DirectSoundBuffer** duplicate) {
    if (!original || !duplicate) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    if (!original->voice_.memory) return DSERR_INVALIDCALL;  // the primary buffer
    auto* made = new DirectSoundBuffer(mixer_, original->flags_);
    {
        std::lock_guard<std::mutex> guard(mixer_->lock());
        made->voice_.memory = original->voice_.memory;
        made->voice_.format = original->voice_.format;
        made->voice_.gain = original->voice_.gain;
        made->voice_.frequency = original->voice_.frequency;
        made->volume_ = original->volume_;
        mixer_->add(&made->voice_);
    }
    *duplicate = made;
    return DS_OK;
}

DirectSoundBuffer::DirectSoundBuffer(std::shared_ptr<Mixer> mixer, DWORD flags)
    : mixer_(std::move(mixer)), flags_(flags) {}

DirectSoundBuffer::~DirectSoundBuffer() {
    if (!voice_.memory) return;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    mixer_->remove(&voice_);
}

HRESULT DirectSoundBuffer::QueryInterface(InterfaceId id, void** object) {
    if (!object) return DSERR_INVALIDPARAM;
    *object = nullptr;
    switch (id) {
    case InterfaceId::DirectSoundBuffer:
        AddRef();
        *object = this;
        return DS_OK;
    case InterfaceId::DirectSoundNotify:
        if (!voice_.memory || !(flags_ & DSBCAPS_CTRLPOSITIONNOTIFY)) return DSERR_NOINTERFACE;
        *object = new DirectSoundNotify(this);
        return DS_OK;
    default:
        return DSERR_NOINTERFACE;
    }
}

HRESULT DirectSoundBuffer::SetFormat(const WaveFormatEx* format) {
    if (!format) return DSERR_INVALIDPARAM;
    if (voice_.memory) return DSERR_INVALIDCALL;
    if (format->wFormatTag != kWaveFormatPcm) return DSERR_BADFORMAT;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    voice_.format = *format;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFormat(WaveFormatEx* format) {
    if (!format) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    *format = voice_.format;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes,
                                void** second, DWORD* secondBytes, DWORD flags) {
    if (!first || !firstBytes) return DSERR_INVALIDPARAM;
    if (!voice_.memory) return DSERR_INVALIDCALL;
    const DWORD size = voice_.size();
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (flags & DSBLOCK_FROMWRITECURSOR) {
        DWORD play = 0;
        GetCurrentPosition(&play, &offset);
    }
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    uint8_t* base = voice_.memory->bytes.data();
    const DWORD head = bytes <= size - offset ? bytes : size - offset;
    *first = base + offset;
    *firstBytes = head;
    if (head < bytes) {
        if (!second || !secondBytes) return DSERR_INVALIDPARAM;
        *second = base;
        *secondBytes = bytes - head;
    } else {
        if (second) *second = nullptr;
        if (secondBytes) *secondBytes = 0;
    }
    return DS_OK;
}

HRESULT DirectSoundBuffer::Unlock(void*, DWORD, void*, DWORD) {
    if (!voice_.memory) return DSERR_INVALIDCALL;
    // Taking the mixer's lock orders the writes before the next period that reads them.
    std::lock_guard<std::mutex> guard(mixer_->lock());
    return DS_OK;
}

HRESULT DirectSoundBuffer::Play(DWORD, DWORD, DWORD flags) {
    if (!voice_.memory) return DS_OK;  // the primary buffer always plays
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (!voice_.playing) voice_.resampler.reset();
    voice_.playing = true;
    voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Stop() {
    std::lock_guard<std::mutex> guard(mixer_->lock());
    voice_.playing = false;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetVolume(LONG millibels) {
    if (millibels < DSBVOLUME_MIN || millibels > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    const float gain = gainOfMillibels(millibels);
    std::lock_guard<std::mutex> guard(mixer_->lock());
    volume_ = millibels;
    voice_.gain = gain;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetVolume(LONG* millibels) {
    if (!millibels) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    *millibels = volume_;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFrequency(DWORD frequency) {
    if (!voice_.memory) return DSERR_INVALIDCALL;
    if (frequency != DSBFREQUENCY_ORIGINAL &&
        (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    voice_.frequency = frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFrequency(DWORD* frequency) {
    if (!frequency) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    *frequency = voice_.rate();
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetCurrentPosition(DWORD offset) {
    if (!voice_.memory) return DSERR_INVALIDCALL;
    if (offset >= voice_.size()) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    voice_.cursor = offset - offset % voice_.format.nBlockAlign;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetCurrentPosition(DWORD* play, DWORD* write) {
    if (!voice_.memory) return DSERR_INVALIDCALL;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    const DWORD size = voice_.size();
    if (play) *play = voice_.cursor;
    if (write) {
        const uint64_t ahead = static_cast<uint64_t>(kPeriodFrames) * voice_.rate() / kMixRate *
                               voice_.format.nBlockAlign;
        *write = static_cast<DWORD>((voice_.cursor + ahead) % size);
    }
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetStatus(DWORD* status) {
    if (!status) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    *status = 0;
    if (voice_.playing) *status = DSBSTATUS_PLAYING | (voice_.looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetNotificationPositions(DWORD count,
                                                    const DSBPOSITIONNOTIFY* positions) {
    if (count > 0 && !positions) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> guard(mixer_->lock());
    if (voice_.playing) return DSERR_INVALIDCALL;
    std::vector<Notification> notes;
    for (DWORD i = 0; i < count; ++i) {
        if (positions[i].dwOffset >= voice_.size()) return DSERR_INVALIDPARAM;
        notes.push_back({positions[i].dwOffset, positions[i].hEventNotify});
    }
    voice_.notifications = std::move(notes);
    return DS_OK;
}

}  // namespace platform::audio

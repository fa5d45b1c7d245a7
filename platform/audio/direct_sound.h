#pragma once
// Our DirectSound: the device object, its primary and secondary sound buffers and their
// position notifications, all played by the in-process mixer into a sink.
#include <cstdint>
#include <memory>

#include "platform/audio/dsound_types.h"
#include "platform/audio/mixer.h"
#include "platform/audio/sink.h"
#include "platform/os/com_object.h"

namespace platform::audio {

class DirectSound;

class DirectSoundBuffer final : public os::ComObject {
public:
    HRESULT QueryInterface(InterfaceId id, void** object);

    // The primary buffer records its format, never applied (the mixer runs at 44,100 Hz); a
    // secondary buffer's format is fixed at creation.
    HRESULT SetFormat(const WaveFormatEx* format);
    HRESULT GetFormat(WaveFormatEx* format);
    // Direct access to the sample memory: one region, or two when the range wraps.
    HRESULT Lock(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second,
                 DWORD* secondBytes, DWORD flags);
    // Publishes what was written to the mixer.
    HRESULT Unlock(void* first, DWORD firstBytes, void* second, DWORD secondBytes);
    // Buffers are never lost here.
    HRESULT Restore() { return DS_OK; }
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
    HRESULT Stop();
    HRESULT SetVolume(LONG millibels);
    HRESULT GetVolume(LONG* millibels);
    HRESULT SetFrequency(DWORD frequency);
    HRESULT GetFrequency(DWORD* frequency);
    HRESULT SetCurrentPosition(DWORD offset);
    // The play cursor, and the write cursor one mixing period ahead of it.
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write);
    HRESULT GetStatus(DWORD* status);
    // 3-D placement: accepted and ignored.
    HRESULT SetPosition(float, float, float, DWORD) { return DS_OK; }
    HRESULT SetVelocity(float, float, float, DWORD) { return DS_OK; }

    // For the notify interface: set while the buffer is stopped.
    HRESULT SetNotificationPositions(DWORD count, const DSBPOSITIONNOTIFY* positions);

private:
    friend class DirectSound;
    DirectSoundBuffer(std::shared_ptr<Mixer> mixer, DWORD flags);
    ~DirectSoundBuffer() override;

    std::shared_ptr<Mixer> mixer_;
    const DWORD flags_;
    LONG volume_ = 0;
    Voice voice_;  // secondary buffers; the primary buffer's voice stays unregistered
};

class DirectSoundNotify final : public os::ComObject {
public:
    HRESULT SetNotificationPositions(DWORD count, const DSBPOSITIONNOTIFY* positions) {
        return buffer_->SetNotificationPositions(count, positions);
    }

private:
    friend class DirectSoundBuffer;
    explicit DirectSoundNotify(DirectSoundBuffer* buffer) : buffer_(buffer) { buffer->AddRef(); }
    ~DirectSoundNotify() override { buffer_->Release(); }

    DirectSoundBuffer* buffer_;
};

class DirectSound final : public os::ComObject {
public:
    // Always succeeds, whatever the level: every buffer plays with global focus.
    HRESULT SetCooperativeLevel(void* window, DWORD level);
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, DirectSoundBuffer** buffer,
                              void* outer);
    // A new buffer sharing the original's sample memory, stopped at 0, with its own cursor,
    // volume and status.
    HRESULT DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** duplicate);

private:
    friend HRESULT directSoundCreate(const void* device, DirectSound** object, void* outer);
    friend class DirectSoundBuffer;
    DirectSound(std::shared_ptr<Mixer> mixer, std::shared_ptr<Sink> sink);
    ~DirectSound() override;

    std::shared_ptr<Mixer> mixer_;
    std::shared_ptr<Sink> sink_;
};

// Creates the device on the default output (device must be null).
HRESULT directSoundCreate(const void* device, DirectSound** object, void* outer);

// Calls `callback` once, for the primary sound driver: null id, "Primary Sound Driver", "".
using EnumerateCallback = BOOL (*)(const void* id, const char* description, const char* module,
                                   void* context);
HRESULT directSoundEnumerate(EnumerateCallback callback, void* context);

// Test seams for devices created from now on: a creation failure (the silent system), or a
// sink to use in place of the default one (a ManualSink, say). Reset by passing {}.
struct DeviceOverride {
    bool failCreate = false;
    std::shared_ptr<Sink> sink;
};
void setDeviceOverride(DeviceOverride value);

}  // namespace platform::audio

#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DObject.h"
#include "foundation/rcptr.h"
#include "platform/audio/direct_sound.h"
#include "sound/DsndData.h"
#include "sound/DsndList.h"
#include "sound/DsndStream.h"

namespace mirel {

// The one sound device of the system: the DirectSound object and its primary buffer, the
// static sounds and the streams. Without a device (a failed Create) every stream and voice
// buffer request gives a null handle and the system runs silent. Main thread only.
class DsndManager : public DObject {
public:
    DsndManager() = default;
    ~DsndManager() override;
    DsndManager(const DsndManager&) = delete;
    DsndManager& operator=(const DsndManager&) = delete;

    // Opens the default device for the main window, logs the primary driver and sets the
    // primary format. False when already created or when a step fails (everything made so far
    // is released again). Also registers the MPEG decoder with the ACM layer.
    bool Create(void* window);
    // Stops and releases every stream, releases every static sound, then the primary buffer and
    // the device; false when no device is held.
    bool Release();

    // A new stream of the list, not started; null without a device or when the stream cannot
    // be made. The manager keeps a handle to it until Release: a stream whose owner drops it
    // plays on to its end.
    rcptr<DsndStream> CreateStream(const rcptr<DsndList>& list);
    // A stream of the file alone (played once); null when the file is no sound source.
    rcptr<DsndStream> OpenStream(DFile& file);
    // The static sound of that name (same length, ASCII letters without case; a name is cut to
    // 263 characters as a sound's is), or null.
    rcptr<DsndData> FindData(const char* name);
    // A voice buffer of the loaded sound of that name; null without a device or sound.
    rcptr<DsndBuffer> CreateBuffer(const char* name, uint32_t flags, int32_t priority);
    // As CreateBuffer, loading the sound from the file first unless one of that name is loaded.
    rcptr<DsndBuffer> CreateBufferFromFile(DFile& file, const char* name, uint32_t flags,
                                           int32_t priority);
    // Erase the list entry of a stream or static sound (their own release calls these).
    void _RemoveStream(DsndStream& stream);
    void _RemoveData(DsndData& data);

    platform::audio::DirectSound* _GetDirectSound() const { return sound_; }

    bool IsCreated() const { return (flags_ & kCreated) != 0; }

    static constexpr uint32_t kCreated = 0x10000;
    static constexpr uint32_t kAllow3d = 0x1;
    static constexpr uint32_t kAllowVoiceManagement = 0x2;

private:
    uint32_t flags_ = 0;
    platform::audio::DirectSound* sound_ = nullptr;
    platform::audio::DirectSoundBuffer* primary_ = nullptr;
    DList<DsndData> data_;
    DList<DsndStream> streams_;
};

}  // namespace mirel

#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DObject.h"
#include "foundation/rcptr.h"
#include "platform/audio/direct_sound.h"
#include "sound/DWave.h"

namespace mirel {

class DsndBuffer;
class DsndManager;

// A static sound: a short sound file decoded once, whole, into one buffer. Its voice buffers
// are that buffer and duplicates of it, which share its samples. The sound stays with the
// manager while any voice buffer of it exists.
class DsndData : public DObject {
public:
    static constexpr size_t kNameSize = 264;

    DsndData() = default;
    ~DsndData() override;
    DsndData(const DsndData&) = delete;
    DsndData& operator=(const DsndData&) = delete;

    // Binds the sound to the manager under the name (cut to 263 characters) and opens the
    // file; false when already loaded or when the file is no sound source (logged).
    bool Load(DFile& file, const char* name, DsndManager* manager);
    // A new voice buffer: a duplicate of the first one, or a new buffer holding the decoded
    // sound; null when neither can be made. Only voice buffers without 3-D control and voice
    // management are made (the manager never grants them), so flags and priority go unused.
    rcptr<DsndBuffer> CreateBuffer(uint32_t flags, int32_t priority);
    // Releases every voice buffer, closes the source and leaves the manager; false when not
    // loaded.
    bool Release();

    const char* GetName() const { return name_; }
    bool IsLoaded() const { return manager_ != nullptr; }

private:
    friend class DsndBuffer;

    rcptr<DsndBuffer> _Bind(platform::audio::DirectSoundBuffer* buffer);
    void _FillBuffer(platform::audio::DirectSoundBuffer* buffer);
    // A voice buffer leaves the list; the last one takes the sound out of the manager.
    void _Leave(const DList<DsndBuffer>::Iterator& node);

    DsndManager* manager_ = nullptr;
    char name_[kNameSize] = {};
    DWave source_;
    // The voice buffers (all in software: the only location used).
    DList<DsndBuffer> buffers_;
};

// One voice of a static sound: a buffer that plays the sound from its beginning.
class DsndBuffer : public DObject {
public:
    DsndBuffer() = default;
    ~DsndBuffer() override;
    DsndBuffer(const DsndBuffer&) = delete;
    DsndBuffer& operator=(const DsndBuffer&) = delete;

    // Plays the sound once from its beginning at the linear volume; a voice still sounding
    // restarts. A looping buffer, or one whose status cannot be read, is left alone.
    void Play(float volume);
    bool IsPlaying() const;
    void Stop();
    // 3-D placement: buffers without 3-D control (all of them) ignore it.
    void SetPosition(const float position[3]);
    void SetVelocity(const float velocity[3]);
    // Leaves the sound and releases the buffer; false when not bound.
    bool Release();

    bool IsBound() const { return data_ != nullptr; }
    platform::audio::DirectSoundBuffer* _GetBuffer() const { return buffer_; }

private:
    friend class DsndData;

    DsndData* data_ = nullptr;
    platform::audio::DirectSoundBuffer* buffer_ = nullptr;
    DList<DsndBuffer>::Iterator node_;
};

}  // namespace mirel

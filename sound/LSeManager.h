#pragma once
#include <cstdint>

#include "foundation/DBuffer.h"
#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "sound/DsndData.h"
#include "sound/LSeGroupFile.h"

namespace mirel {

class DsndManager;

// Where a voice that follows its owner takes its place from: a record of the caller's, read
// every frame while the voice is tied to it.
struct LSePositionSource {
    float position[3];
    float unused[3];
    float velocity[3];  // per frame
};

// The sound-effect manager of the 3D library. It loads groups of sound effects from group
// files ("<path>.prp") in a pack, shares a loaded group by reference count, gives every effect
// a fixed number of voices (voice buffers of one static sound) and plays an effect on a free
// voice or by stealing the oldest. A voice can be tied to an owner key, through which the
// owner stops or detaches its voices. Every group has a type whose volume applies to all its
// effects. Main thread only.
class LSeManager {
public:
    struct _GROUPINFO;
    struct _SEINFO;

    struct _VOICEINFO {
        ~_VOICEINFO();

        uint32_t state = 0;  // bit 0: playing
        _SEINFO* effect = nullptr;
        rcptr<DsndBuffer> buffer;
        uint32_t age = 0;
        const LSePositionSource* source = nullptr;
        float position[3] = {};
        float velocity[3] = {};
        _VOICEINFO* previous = nullptr;
        _VOICEINFO* next = nullptr;
        int32_t keyIndex = -1;
        _VOICEINFO* previousOfKey = nullptr;
        _VOICEINFO* nextOfKey = nullptr;
    };

    struct _SEINFO {
        _GROUPINFO* group = nullptr;
        uint32_t flags = 0;
        int32_t priority = 0;
        uint32_t voiceCount = 0;
        rcptr<_VOICEINFO> voices;
    };

    struct _GROUPINFO {
        uint32_t pack = 0;
        char name[264] = {};
        // Each loader and each playing voice holds one reference; callers that share the group
        // add theirs here directly.
        uint32_t refCount = 0;
        uint32_t typeId = 0;
        uint32_t effectCount = 0;
        rcptr<_SEINFO> effects;
        DList<_GROUPINFO>::Iterator node;
    };

    struct _KEYINFO {
        const void* key = nullptr;
        _VOICEINFO* first = nullptr;
    };

    // The sound manager is not owned; velocities (per frame) are multiplied by the scale when
    // handed to a voice buffer.
    LSeManager(DsndManager* sound, float velocityScale);
    ~LSeManager();
    LSeManager(const LSeManager&) = delete;
    LSeManager& operator=(const LSeManager&) = delete;

    // Grows the type table to three entries of 1.0 (existing entries kept).
    void _ReserveTypeSettings();
    // Fatal when the type is outside the table.
    void configureTypeSetting(uint32_t type, float volume);

    // Loads the group file "<path>.prp" of the pack, or adds a reference to the group already
    // loaded from the same pack and path. The sound files lie in the sound directory (null or
    // empty: the path's directory). Fatal for a type outside the table or an unreadable file.
    _GROUPINFO* LoadGroup(uint32_t pack, const char* path, const char* soundDirectory,
                          uint32_t typeId);
    // Drops one reference; the last one stops the group's voices and frees it. Null is ignored.
    void UnloadGroup(_GROUPINFO* group);
    void UnloadGroups(_GROUPINFO* const* groups, uint32_t count);

    // Plays an effect of the group on a free voice, or on the oldest one. The owner key and the
    // position source may be null.
    void Play(_GROUPINFO* group, uint32_t index, const void* owner,
              const LSePositionSource* source);
    // Stops a playing voice and releases the group reference its play took.
    void _StopVoice(_VOICEINFO* voice);
    // Once per frame: releases the voices whose sound has ended and moves "slave" voices.
    void Update();
    // Detaches the owner's voices from their position source and stops those of "stop"
    // effects.
    void StopOwner(const void* owner);
    // Stops everything and frees every table.
    void Release();

    _VOICEINFO* _GetPlayingHead() const { return playing_; }
    uint32_t _GetKeyCount() const { return keyCount_; }
    const _KEYINFO& _GetKey(uint32_t index) const { return keys_[static_cast<int32_t>(index)]; }
    uint32_t _GetTypeCount() const { return typeCount_; }
    float _GetTypeVolume(uint32_t type) const { return types_[type]; }

private:
    // The voices of an effect: a voice buffer each of the sound "<name>.wav" found in the pack
    // relative to the base directory ("/" + the sound directory when that was relative).
    void _MakeVoices(_SEINFO& effect, const LSeEffectSettings& settings, uint32_t pack,
                     const char* base, bool rooted);
    // Hands the voice's position and scaled velocity to its buffer.
    void _Place(_VOICEINFO* voice);
    void _TieToKey(_VOICEINFO* voice, const void* owner);
    void _UntieFromKey(_VOICEINFO* voice);

    DsndManager* sound_ = nullptr;
    uint32_t typeCount_ = 0;
    rcptr<float> types_;
    float velocityScale_ = 0.0f;
    DList<_GROUPINFO> groups_;
    _VOICEINFO* playing_ = nullptr;
    uint32_t keyCount_ = 0;
    DBuffer<_KEYINFO, 128> keys_;
};

}  // namespace mirel

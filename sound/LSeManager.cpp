#include "sound/LSeManager.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/DFile.h"
#include "foundation/DPath.h"
#include "foundation/DStr.h"
#include "foundation/DString.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/DsndManager.h"

namespace mirel {

namespace {

constexpr int32_t kLogLevel = 3;
constexpr uint32_t kPlaying = 0x1;
constexpr uint32_t kMaxKeys = 0xFFFFFFFE;

// The whole group file as NUL-terminated text; fatal when it cannot be sized or read.
std::vector<char> readGroupFile(uint32_t pack, const char* path) {
    DFile file;
    lfmOpenPackData(pack, file, path);
    const int32_t size = file.Size();
    if (size < 0) l3dError("ファイル \"%s\" のサイズを取得できませんでした。", file.GetPath());
    std::vector<char> text(static_cast<size_t>(size) + 1, '\0');
    if (size > 0 && file.Read(text.data(), static_cast<uint32_t>(size)) != size) {
        l3dError("ファイル \"%s\" を読み込めませんでした。", file.GetPath());
    }
    l3dLog(kLogLevel, "[LSeManager::LoadGroup] load prop file\"%s\"", path);
    file.Close();
    return text;
}

}  // namespace

LSeManager::_VOICEINFO::~_VOICEINFO() {
    // The sound's list holds the voice buffer too: leaving it frees the buffer.
    if (buffer) buffer->Release();
}

LSeManager::LSeManager(DsndManager* sound, float velocityScale)
    : sound_(sound), velocityScale_(velocityScale) {}

LSeManager::~LSeManager() { Release(); }

void LSeManager::_ReserveTypeSettings() {
    if (typeCount_ >= 3) return;
    rcptr<float> table;
    table.Allocate(3);
    for (uint32_t i = 0; i < 3; ++i) table[i] = i < typeCount_ ? types_[i] : 1.0f;
    types_ = table;
    typeCount_ = 3;
}

void LSeManager::configureTypeSetting(uint32_t type, float volume) {
    if (type >= typeCount_) l3dError("[LSeManager::configureTypeSetting] 範囲外(%u)", type);
    types_[type] = volume;
}

LSeManager::_GROUPINFO* LSeManager::LoadGroup(uint32_t pack, const char* path,
                                              const char* soundDirectory, uint32_t typeId) {
    if (typeId >= typeCount_) l3dError("[LSeManager::LoadGroup] out of typeId(%u)", typeId);
    if (!path) path = "";
    const size_t length = std::strlen(path);
    for (auto node = groups_._GetFirstNode(); !(node == groups_._GetEndNode());
         node = node.Next()) {
        _GROUPINFO* group = node.GetRef().Get();
        if (group->pack == pack && std::strlen(group->name) == length &&
            DStrCompareNoCase(group->name, path, length) == 0) {
            ++group->refCount;
            l3dLog(kLogLevel, "[LSeManager::LoadGroup] found prop file \"%s\"/%u", path,
                   group->refCount);
            return group;
        }
    }

    rcptr<_GROUPINFO> group;
    group.Create();
    group->pack = pack;
    DStrCopyN(group->name, path, sizeof group->name);
    group->refCount = 1;
    group->typeId = typeId;

    // The directory of the sound files, rooted: "/" in front of a relative one.
    char directory[DPATH_SIZE] = {};
    if (soundDirectory && soundDirectory[0] != '\0') {
        DStrCopyN(directory, soundDirectory, sizeof directory);
    } else {
        DPathSplit(path, directory, nullptr, nullptr);
    }
    char base[DPATH_SIZE + 1];
    const bool rooted = directory[0] == '/' || directory[0] == '\\';
    if (rooted) directory[0] = '/';
    std::snprintf(base, sizeof base, "%s%s", rooted ? "" : "/", directory);

    char filePath[DPATH_SIZE];
    std::snprintf(filePath, sizeof filePath, "%s.prp", path);
    const std::vector<char> text = readGroupFile(pack, filePath);
    const LSeGroupFile file = LSeParseGroupFile(text.data());
    l3dLog(kLogLevel, "[LSeManager::LoadGroup] load prop(max: %d, count: %d, flags: %x, pri: %x)",
           static_cast<int>(file.effects.size()), static_cast<int>(file.defaults.count),
           file.defaults.flags, static_cast<unsigned>(file.defaults.priority));

    group->effectCount = static_cast<uint32_t>(file.effects.size());
    group->effects.Allocate(group->effectCount);
    for (uint32_t i = 0; i < group->effectCount; ++i) {
        const LSeEffectSettings& settings = file.effects[i];
        _SEINFO& effect = group->effects[i];
        effect.group = group.Get();
        effect.flags = settings.flags;
        effect.priority = settings.priority;
        // Set once the voices are made.
        effect.voiceCount = 0;
        l3dLog(kLogLevel,
               "[LSeManager::LoadGroup] load se%d(name: \"%s\" count: %u, flags: %x, pri: %x)",
               static_cast<int>(i), settings.name, settings.count, settings.flags,
               static_cast<unsigned>(settings.priority));
        if (settings.count != 0 && settings.name[0] != '\0') {
            _MakeVoices(effect, settings, pack, base, rooted);
        }
    }
    group->node = groups_.AddTail(group);
    return group.Get();
}

void LSeManager::_MakeVoices(_SEINFO& effect, const LSeEffectSettings& settings, uint32_t pack,
                             const char* base, bool rooted) {
    char fileName[DPATH_SIZE];
    DPathMake(fileName, "", settings.name, "wav");
    if (fileName[0] != '/') {
        DString joined;
        DPathNormalize(fileName, joined, base);
        // A directory given relative was rooted for the join: the root goes again.
        const char* resolved = joined.Text();
        if (!rooted && resolved[0] == '/') ++resolved;
        DStrCopyN(fileName, resolved, sizeof fileName);
    }
    char display[DPATH_SIZE];
    lfmGetPackFileName(pack, display, fileName);
    if (!lfmIsPackDataExist(pack, fileName)) {
        l3dLog(kLogLevel, "[LSeManager::LoadGroup] can't find se file \"%s\"", display);
        return;
    }
    if (!sound_) return;
    const uint32_t requested =
        ((settings.flags & kLSe3d) ? 0x1u : 0u) | ((settings.flags & kLSeVoice) ? 0x2u : 0u);
    DFile file;
    lfmOpenPackData(pack, file, fileName);
    const rcptr<DsndBuffer> first =
        sound_->CreateBufferFromFile(file, display, requested, settings.priority);
    if (!first) return;
    effect.voices.Allocate(settings.count);
    effect.voiceCount = settings.count;
    for (uint32_t i = 0; i < settings.count; ++i) {
        _VOICEINFO& voice = effect.voices[i];
        voice.effect = &effect;
        voice.buffer = sound_->CreateBuffer(display, requested, settings.priority);
    }
    // The voices hold the sound through its list from now on.
    first->Release();
}

void LSeManager::UnloadGroup(_GROUPINFO* group) {
    // A count of 0 marks a group being freed: the voices it stops come back here.
    if (!group || group->refCount == 0) return;
    if (group->refCount >= 2) {
        --group->refCount;
        return;
    }
    group->refCount = 0;
    l3dLog(kLogLevel, "[LSeManager::UnloadGroup] unloaded");
    for (uint32_t i = 0; i < group->effectCount; ++i) {
        _SEINFO& effect = group->effects[i];
        for (uint32_t v = 0; v < effect.voiceCount; ++v) _StopVoice(&effect.voices[v]);
    }
    groups_.Erase(group->node);
}

void LSeManager::UnloadGroups(_GROUPINFO* const* groups, uint32_t count) {
    if (!groups) return;
    for (uint32_t i = 0; i < count; ++i) UnloadGroup(groups[i]);
}

void LSeManager::Play(_GROUPINFO* group, uint32_t index, const void* owner,
                      const LSePositionSource* source) {
    if (!group || index >= group->effectCount) return;
    _SEINFO& effect = group->effects[index];
    if (effect.voiceCount == 0) return;
    _VOICEINFO* chosen = nullptr;
    for (uint32_t i = 0; i < effect.voiceCount; ++i) {
        _VOICEINFO& voice = effect.voices[i];
        ++voice.age;
        if (!chosen && !(voice.state & kPlaying)) chosen = &voice;
    }
    if (!chosen) {
        chosen = &effect.voices[0];
        for (uint32_t i = 1; i < effect.voiceCount; ++i)
            if (effect.voices[i].age > chosen->age) chosen = &effect.voices[i];
    }
    // The reference is taken before a stolen voice gives its own back, so that the group
    // survives when that voice held its last reference.
    ++group->refCount;
    if (chosen->state & kPlaying) _StopVoice(chosen);

    chosen->state |= kPlaying;
    chosen->age = 0;
    chosen->source = source;
    if (effect.flags & kLSe3d) {
        for (int k = 0; k < 3; ++k) {
            chosen->position[k] = source ? source->position[k] : 0.0f;
            chosen->velocity[k] = source ? source->velocity[k] : 0.0f;
        }
        _Place(chosen);
    }
    if (chosen->buffer) {
        chosen->buffer->Play(group->typeId < typeCount_ ? types_[group->typeId] : 1.0f);
    }
    chosen->previous = nullptr;
    chosen->next = playing_;
    if (playing_) playing_->previous = chosen;
    playing_ = chosen;
    chosen->keyIndex = -1;
    if ((effect.flags & (kLSeSlave | kLSeStop)) && owner) _TieToKey(chosen, owner);
}

void LSeManager::_Place(_VOICEINFO* voice) {
    if (!voice->buffer) return;
    const float velocity[3] = {voice->velocity[0] * velocityScale_,
                               voice->velocity[1] * velocityScale_,
                               voice->velocity[2] * velocityScale_};
    voice->buffer->SetPosition(voice->position);
    voice->buffer->SetVelocity(velocity);
}

void LSeManager::_TieToKey(_VOICEINFO* voice, const void* owner) {
    uint32_t index = keyCount_;
    for (uint32_t i = 0; i < keyCount_; ++i) {
        if (keys_[static_cast<int32_t>(i)].key == owner) {
            index = i;
            break;
        }
    }
    if (index == keyCount_) {
        if (keyCount_ >= kMaxKeys) l3dError("[LSeManager::Play] キーリストの最大数に達しました");
        keys_.At(static_cast<int32_t>(keyCount_)) = _KEYINFO{owner, nullptr};
        ++keyCount_;
    }
    _KEYINFO& key = keys_[static_cast<int32_t>(index)];
    voice->previousOfKey = nullptr;
    voice->nextOfKey = key.first;
    if (key.first) key.first->previousOfKey = voice;
    key.first = voice;
    voice->keyIndex = static_cast<int32_t>(index);
}

void LSeManager::_UntieFromKey(_VOICEINFO* voice) {
    if (voice->keyIndex < 0) return;
    const int32_t index = voice->keyIndex;
    if (voice->previousOfKey) {
        voice->previousOfKey->nextOfKey = voice->nextOfKey;
    } else {
        keys_[index].first = voice->nextOfKey;
    }
    if (voice->nextOfKey) voice->nextOfKey->previousOfKey = voice->previousOfKey;
    if (!keys_[index].first) {
        const int32_t last = static_cast<int32_t>(keyCount_) - 1;
        if (index != last) {
            keys_[index] = keys_[last];
            for (_VOICEINFO* moved = keys_[index].first; moved; moved = moved->nextOfKey)
                moved->keyIndex = index;
        }
        --keyCount_;
    }
    voice->keyIndex = -1;
    voice->previousOfKey = nullptr;
    voice->nextOfKey = nullptr;
}

void LSeManager::_StopVoice(_VOICEINFO* voice) {
    if (!voice || !(voice->state & kPlaying)) return;
    voice->state &= ~kPlaying;
    if (voice->buffer) voice->buffer->Stop();
    voice->source = nullptr;
    if (voice->previous) {
        voice->previous->next = voice->next;
    } else if (playing_ == voice) {
        playing_ = voice->next;
    }
    if (voice->next) voice->next->previous = voice->previous;
    voice->previous = nullptr;
    voice->next = nullptr;
    _UntieFromKey(voice);
    UnloadGroup(voice->effect->group);
}

void LSeManager::Update() {
    for (_VOICEINFO* voice = playing_; voice;) {
        _VOICEINFO* const next = voice->next;
        if (!voice->buffer || !voice->buffer->IsPlaying()) {
            _StopVoice(voice);
        } else if (voice->effect->flags & kLSeSlave) {
            for (int k = 0; k < 3; ++k) {
                if (voice->source) {
                    voice->position[k] = voice->source->position[k];
                    voice->velocity[k] = voice->source->velocity[k];
                } else {
                    voice->position[k] += voice->velocity[k];
                }
            }
            _Place(voice);
        }
        voice = next;
    }
}

void LSeManager::StopOwner(const void* owner) {
    uint32_t index = keyCount_;
    for (uint32_t i = 0; i < keyCount_; ++i)
        if (keys_[static_cast<int32_t>(i)].key == owner) index = i;
    if (index == keyCount_) return;
    for (_VOICEINFO* voice = keys_[static_cast<int32_t>(index)].first; voice;) {
        _VOICEINFO* const next = voice->nextOfKey;
        voice->source = nullptr;
        if (voice->effect->flags & kLSeStop) _StopVoice(voice);
        voice = next;
    }
}

void LSeManager::Release() {
    while (playing_) _StopVoice(playing_);
    keyCount_ = 0;
    groups_._EraseAllNodes();
    types_.Reset();
    typeCount_ = 0;
    sound_ = nullptr;
}

}  // namespace mirel

// Effect data files ("EFDT", versions 5 and 6): roots, parts and their events, read with each
// kind's parameter layout, checked against the definition tables and sorted by time. Also the
// look-up of loaded data and its sound-effect groups.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "effects/L3DEffectManager.h"
#include "foundation/DPath.h"
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "foundation/pack/pack_diagnostics.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LVec.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/LSeManager.h"

using namespace mirel;

namespace {

constexpr uint32_t kDataMagic = 0x54444645;  // "EFDT"
constexpr uint32_t kOldestVersion = 5;
constexpr uint32_t kNewestVersion = 6;
constexpr float kDegreesToRadians = 0.017453292f;
// The smallest records: an event without parameters, a part without events, a root whose
// parts have no events.
constexpr uint32_t kMinEventBytes = 8;
constexpr uint32_t kMinPartBytes = 8;
constexpr uint32_t kMinRootBytes = 4 + kMinPartBytes + 4;

uint32_t floatBits(float value) { return std::bit_cast<uint32_t>(value); }

// Where an event sits, for the check messages: part −1 is the root part.
struct EventPlace {
    uint32_t root;
    int32_t part;
    uint32_t number;  // from 1
};

class DataReader {
public:
    DataReader(L3DEffectManager& manager, DFile& file, const L3D_EFFECT_DATA& data,
               uint32_t version)
        : manager_(manager), file_(file), data_(data), version_(version) {}

    void readPart(L3D_EFFECT_PART& part, uint32_t root, int32_t partIndex) {
        part.flags = lfmReadU32(file_);
        part.eventCount = lfmReadU32(file_);
        lfmCheckCount(file_, part.eventCount, kMinEventBytes);
        part.events.Allocate(part.eventCount);
        for (uint32_t i = 0; i < part.eventCount; ++i)
            readEvent(part.events[i], {root, partIndex, i + 1});
        std::sort(
            part.events.Get(), part.events.Get() + part.eventCount,
            [](const L3D_EFFECT_EVENT& a, const L3D_EFFECT_EVENT& b) { return a.time < b.time; });
    }

private:
    uint32_t u32() { return lfmReadU32(file_); }
    // n pairs: the first value of pair k goes to word k, the second to word k + n.
    void pairs(L3D_EFFECT_EVENT& event, int n) {
        for (int k = 0; k < n; ++k) {
            event.p[k] = u32();
            event.p[k + n] = u32();
        }
    }
    void words(L3D_EFFECT_EVENT& event, int first, int count) {
        for (int k = first; k < first + count; ++k) event.p[k] = u32();
    }
    uint32_t radians() { return floatBits(lfmReadF32(file_) * kDegreesToRadians); }

    void readEvent(L3D_EFFECT_EVENT& event, const EventPlace& place) {
        event = {};
        event.time = static_cast<int32_t>(u32());
        event.kind = u32();
        switch (event.kind) {
        case 0:
        case 7:
        case 12:
        case 17:
        case 22:
        case 27:
            break;
        case 2:
            words(event, 0, 1);
            break;
        case 1:
        case 28:
        case 37:
        case 38:
            words(event, 0, 2);
            break;
        case 3:
        case 13:
        case 14:
        case 18:
        case 19:
        case 36:
        case 40:
        case 41:
            words(event, 0, 3);
            break;
        case 6:
        case 8:
        case 9:
            words(event, 0, 4);
            break;
        case 4:
        case 5:
            words(event, 0, 5);
            break;
        case 10:
            pairs(event, 4);
            words(event, 8, 1);
            break;
        case 11:
        case 29:
            pairs(event, 4);
            break;
        case 15:
        case 20:
        case 42:
            pairs(event, 3);
            words(event, 6, 1);
            break;
        case 16:
        case 21:
        case 30:
        case 31:
        case 43:
        case 44:
            pairs(event, 3);
            break;
        case 23:
        case 24:
            readAxisAngle(event);
            break;
        case 25:
            pairs(event, 3);
            event.p[6] = radians();
            event.p[7] = radians();
            words(event, 8, 1);
            break;
        case 26:
        case 32:
            pairs(event, 3);
            event.p[6] = radians();
            event.p[7] = radians();
            break;
        case 33:
            pairs(event, 2);
            words(event, 4, 1);
            break;
        case 34:
        case 35:
            pairs(event, 2);
            break;
        case 39:
            words(event, 0, 2);
            event.p[2] = version_ >= 6 ? u32() : floatBits(0.0f);
            break;
        default:
            l3dLogPack(data_.name, 0,
                       DSjis<"[L3DEffectManager::_LoadDataPart] エフェクトファイル \"%s\" "
                             "内でエラー発生">(),
                       data_.pack);
            l3dError(DSjis<"[L3DEffectManager::_LoadDataPart] 不明な種類%d">(),
                     static_cast<int>(event.kind));
        }
        checkReferences(event, place);
    }

    // An axis and an angle in degrees, kept as a unit quaternion.
    void readAxisAngle(L3D_EFFECT_EVENT& event) {
        LVec axis;
        axis.x = lfmReadF32(file_);
        axis.y = lfmReadF32(file_);
        axis.z = lfmReadF32(file_);
        float angle = lfmReadF32(file_) * kDegreesToRadians;
        if (std::fabs(axis.x) + std::fabs(axis.y) + std::fabs(axis.z) >= 1e-6f) {
            LVec::Normalize(axis, axis);
        } else {
            axis = {0.0f, 0.0f, 1.0f};
            angle = 0.0f;
        }
        const float s = std::sin(angle / 2.0f);
        event.p[0] = floatBits(axis.x * s);
        event.p[1] = floatBits(axis.y * s);
        event.p[2] = floatBits(axis.z * s);
        event.p[3] = floatBits(std::cos(angle / 2.0f));
    }

    void checkReferences(const L3D_EFFECT_EVENT& event, const EventPlace& place) {
        switch (event.kind) {
        case 3:
            checkImage(event.i(0), place);
            checkModel(event.i(1), place);
            break;
        case 4:
        case 5:
            checkImage(event.i(0), place);
            checkImage(event.i(1), place);
            checkModel(event.i(3), place);
            break;
        case 6:
            checkImage(event.i(0), place);
            checkImage(event.i(1), place);
            checkModel(event.i(2), place);
            break;
        default:
            break;
        }
    }

    void checkImage(int32_t image, const EventPlace& place) {
        if (image >= 0 && static_cast<uint32_t>(image) < manager_.imageDefCount) return;
        l3dLogPack(data_.name, 0,
                   DSjis<"[L3DEffectManager::_CheckImage] エフェクトファイル \"%s\" "
                         "内でエラー発生">(),
                   data_.pack);
        if (place.part < 0)
            l3dError(DSjis<"[L3DEffectManager::_CheckImage] "
                           "root%dの%d個目のeventにおいて使用イメージが異常(%d/%u)">(),
                     static_cast<int>(place.root), static_cast<int>(place.number), image,
                     manager_.imageDefCount);
        l3dError(DSjis<"[L3DEffectManager::_CheckImage] "
                       "root%d/part%dの%d個目のeventにおいて使用イメージが異常(%d/%u)">(),
                 static_cast<int>(place.root), place.part, static_cast<int>(place.number), image,
                 manager_.imageDefCount);
    }

    void checkModel(int32_t model, const EventPlace& place) {
        if (model >= L3DEffectFirstShape && int64_t{model} < int64_t{manager_.modelCount}) return;
        l3dLogPack(data_.name, 0,
                   DSjis<"[L3DEffectManager::_CheckModel] エフェクトファイル \"%s\" "
                         "内でエラー発生">(),
                   data_.pack);
        if (place.part < 0)
            l3dError(DSjis<"[L3DEffectManager::_CheckModel] "
                           "root%dの%d個目のeventにおいて使用モデルが異常(%d)">(),
                     static_cast<int>(place.root), static_cast<int>(place.number), model);
        l3dError(DSjis<"[L3DEffectManager::_CheckModel] "
                       "root%d/part%dの%d個目のeventにおいて使用モデルが異常(%d)">(),
                 static_cast<int>(place.root), place.part, static_cast<int>(place.number), model);
    }

    L3DEffectManager& manager_;
    DFile& file_;
    const L3D_EFFECT_DATA& data_;
    uint32_t version_;
};

}  // namespace

L3D_EFFECT_DATA* L3DEffectManager::LoadData(const L3D_RENDERER_NNID* nnid, uint32_t packIndex,
                                            const char* dataName) {
    if (!nnid) l3dError(DSjis<"[L3DEffectManager::LoadData] 無効なNNID(%u)">(), 0u);
    if (FindData(nnid))
        l3dError(DSjis<"[L3DEffectManager::LoadData] すでに \"%s\" は読み込まれている">(),
                 dataName);
    rcptr<L3D_EFFECT_DATA> data;
    data.Create();
    dataList.AddTail(data);
    data->nnid = nnid;
    data->pack = packIndex;
    std::snprintf(data->name, sizeof data->name, "%s", dataName);
    _LoadData(*data);
    return data.Get();
}

void L3DEffectManager::_LoadData(L3D_EFFECT_DATA& data) {
    l3dLogPack(data.name, 3, "[L3DEffectManager::_LoadData] load data prop \"%s\"", data.pack);
    char path[DPATH_SIZE];
    DPathMake(path, "", data.name, "dat");
    if (!lfmIsPackDataExist(data.pack, path)) {
        l3dLogPack(data.name, 3, "[L3DEffectManager::_LoadData] \"%s\" isn't exist", data.pack);
        return;
    }
    DFile file;
    lfmOpenPackData(data.pack, file, path);
    if (lfmReadU32(file) != kDataMagic)
        l3dErrorPack(
            path, DSjis<"[L3DEffectManager::_LoadData] エフェクトファイル \"%s\" のヘッダが異常">(),
            data.pack);
    const uint32_t version = lfmReadU32(file);
    if (version > kNewestVersion)
        l3dErrorPack(
            path,
            DSjis<"[L3DEffectManager::_LoadData] エフェクトファイル \"%s\" のバージョンが異常">(),
            data.pack);
    if (version < kOldestVersion)
        l3dErrorPack(path,
                     DSjis<"[L3DEffectManager::_LoadData] エフェクトファイル \"%s\" "
                           "のバージョンが古すぎる">(),
                     data.pack);

    DataReader reader(*this, file, data, version);
    const uint32_t rootCount = lfmReadU32(file);
    lfmCheckCount(file, rootCount, kMinRootBytes);
    rcptr<L3D_EFFECT_ROOT> roots;
    roots.Allocate(rootCount);
    for (uint32_t r = 0; r < rootCount; ++r) {
        L3D_EFFECT_ROOT& root = roots[r];
        // Bit 16 is computed below, never taken from the file.
        root.flags = lfmReadU32(file) & ~L3DEffectRootKeyed;
        reader.readPart(root.rootPart, r, -1);
        root.rootPart.flags = 0;
        root.partCount = lfmReadU32(file);
        lfmCheckCount(file, root.partCount, kMinPartBytes);
        root.parts.Allocate(root.partCount);
        bool keyed = (root.flags & (L3DEffectRootFollow | L3DEffectRootStopFrees)) != 0;
        for (uint32_t p = 0; p < root.partCount; ++p) {
            L3D_EFFECT_PART& part = root.parts[p];
            reader.readPart(part, r, static_cast<int32_t>(p));
            const bool skipped =
                (part.flags & L3DEffectPartOptional) && (flags & L3DEffectSkipOptional);
            if ((part.flags & L3DEffectPartStopFrees) && !skipped) keyed = true;
        }
        if (keyed) root.flags |= L3DEffectRootKeyed;
    }
    data.roots = roots;
    data.rootCount = rootCount;
}

L3D_EFFECT_DATA* L3DEffectManager::GetFirstData() { return dataList._GetFirstRef().Get(); }

L3D_EFFECT_DATA* L3DEffectManager::FindData(const L3D_RENDERER_NNID* nnid) {
    for (auto it = dataList._GetFirstNode(); it != dataList._GetEndNode(); it = it.Next()) {
        L3D_EFFECT_DATA* data = it.GetRef().Get();
        if (data->nnid == nnid) return data;
    }
    return nullptr;
}

void L3DEffectManager::SetSeGroupList(L3D_EFFECT_DATA* data, const L3D_SEGROUPLIST& list) {
    if (!data) l3dError(DSjis<"[L3DEffectManager::Play] 無効なエフェクトデータ">());
    unloadSeGroups(*data);
    data->seGroups.groups.Allocate(list.count);
    data->seGroups.count = list.count;
    for (uint32_t i = 0; i < list.count; ++i) {
        LSeManager::_GROUPINFO* group = list.groups[i];
        data->seGroups.groups[i] = group;
        if (group) ++group->refCount;
    }
}

void L3DEffectManager::unloadSeGroups(L3D_EFFECT_DATA& data) {
    L3D_SEGROUPLIST& list = data.seGroups;
    if (list.count > 0 && renderer && renderer->seManager)
        renderer->seManager->UnloadGroups(list.groups.Get(), list.count);
    list.count = 0;
    list.groups.Reset();
}

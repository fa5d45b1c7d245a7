// Event lists of a model or an animation: kind, the kind's body as the version has it, frame.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// The smallest record: kind 5's target frame between kind and frame.
constexpr uint32_t MinEventBytes = 12;

rcptr<L3D_OBJDATA_EVENT> ReadSe(DFile& file, const L3DModelPool& pool, uint32_t version) {
    rcptr<L3D_OBJDATA_EVENT_SE> event;
    event.Create();
    event->groupIndex = version >= 9 ? lfmReadU32(file) : 0;
    event->soundNumber = lfmReadU32(file);
    if (version >= 13) {
        const uint32_t count = lfmReadU32(file);
        l3dCheckModelCount(file, count, 4);
        event->alternativeCount = count;
        event->alternatives.Allocate(count);
        for (uint32_t i = 0; i < count; ++i) event->alternatives.Get()[i] = lfmReadU32(file);
    }
    event->partName = l3dReadNameRef(file, pool);
    event->boneName = l3dReadNameRef(file, pool);
    return event;
}

rcptr<L3D_OBJDATA_EVENT> ReadEffect(DFile& file, const L3DModelPool& pool, uint32_t version) {
    rcptr<L3D_OBJDATA_EVENT_EFFECT> event;
    event.Create();
    event->effectNumber = lfmReadU32(file);
    event->partName = l3dReadNameRef(file, pool);
    event->boneName = l3dReadNameRef(file, pool);
    lfmReadBytes(event->position, sizeof event->position, file);
    lfmReadBytes(event->rotation, sizeof event->rotation, file);
    lfmReadBytes(event->scale, sizeof event->scale, file);
    event->userPair = l3dReadNameRef(file, pool);
    if (version >= 10) {
        event->followPart1 = l3dReadNameRef(file, pool);
        event->followBone1 = l3dReadNameRef(file, pool);
    }
    if (version >= 11) {
        event->followPart2 = l3dReadNameRef(file, pool);
        event->followBone2 = l3dReadNameRef(file, pool);
    }
    event->lifetime = version >= 12 ? lfmReadU32(file) : L3DEffectEndless;
    return event;
}

rcptr<L3D_OBJDATA_EVENT> ReadTexAnim(DFile& file, const L3DModelPool& pool) {
    rcptr<L3D_OBJDATA_EVENT_TEXANIM> event;
    event.Create();
    event->partName = l3dReadNameRef(file, pool);
    event->materialName = l3dReadNameRef(file, pool);
    event->waveOn = lfmReadU8(file);
    event->uAmplitude = lfmReadF32(file);
    event->vAmplitude = lfmReadF32(file);
    event->heightRelative = lfmReadU8(file);
    event->uBaseHeight = lfmReadF32(file);
    event->vBaseHeight = lfmReadF32(file);
    event->uWavePeriod = lfmReadU32(file);
    event->vWavePeriod = lfmReadU32(file);
    event->scrollOn = lfmReadU8(file);
    event->uSpeed = lfmReadF32(file);
    event->vSpeed = lfmReadF32(file);
    event->uLimit = lfmReadF32(file);
    event->vLimit = lfmReadF32(file);
    return event;
}

rcptr<L3D_OBJDATA_EVENT> ReadBody(DFile& file, uint32_t kind, const L3DModelPool& pool,
                                  uint32_t version) {
    switch (kind) {
    case L3DEventTexSet: {
        rcptr<L3D_OBJDATA_EVENT_TEXSET> event;
        event.Create();
        event->fromArea = l3dReadNameRef(file, pool);
        event->toArea = l3dReadNameRef(file, pool);
        return event;
    }
    case L3DEventSe:
        return ReadSe(file, pool, version);
    case L3DEventEffect:
    case L3DEventOwnEffect:
        return ReadEffect(file, pool, version);
    case L3DEventSetColl: {
        rcptr<L3D_OBJDATA_EVENT_SETCOLL> event;
        event.Create();
        event->collGroupName = l3dReadNameRef(file, pool);
        event->mode = lfmReadU32(file);
        return event;
    }
    case L3DEventGoFrame: {
        rcptr<L3D_OBJDATA_EVENT_GOFRAME> event;
        event.Create();
        event->targetFrame = lfmReadU32(file);
        return event;
    }
    case L3DEventTexAnim:
        return ReadTexAnim(file, pool);
    default:
        l3dError(DSjis<"[L3DObjectData::_LoadEvent] 未対応のイベントタイプ(%d)">(),
                 static_cast<int>(kind));
    }
}

}  // namespace

void L3DObjectData::_LoadEvent(DFile& file, DList<L3D_OBJDATA_EVENT>& list,
                               const L3DModelPool& pool, uint32_t version) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DObjectData::_LoadEvent] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    list._EraseAllNodes();
    const uint32_t count = lfmReadU32(file);
    l3dCheckModelCount(file, count, MinEventBytes);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t kind = lfmReadU32(file);
        rcptr<L3D_OBJDATA_EVENT> event = ReadBody(file, kind, pool, version);
        event->frame = lfmReadU32(file);
        event->kind = kind;
        list.AddTail(event);
    }
}

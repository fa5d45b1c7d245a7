// Event sets: the events of a model or an animation resolved against an object instance (nodes,
// pieces, texture areas, effect data and collision groups), sorted by frame.
#include <algorithm>
#include <cstring>

#include "effects/L3DEffectManager.h"
#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DEventInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/text/text_token.h"

using namespace mirel;

namespace {

// A name of an event or texture area as a token (quotes removed).
struct Token {
    explicit Token(const L3D_NAMEREF& reference) { l3dGetToken(text, reference); }
    char text[kL3DTokenSize];
};

bool sameName(const char* a, const char* b) {
    return std::strlen(a) == std::strlen(b) && DStrEqualsNoCase(a, b) == 0;
}

const L3D_OBJDATA_TEXAREA* findArea(DList<L3D_OBJDATA_TEXAREA>& areas, const char* name) {
    for (auto it = areas._GetFirstNode(); it != areas._GetEndNode(); it = it.Next())
        if (sameName(Token(it.GetRef()->areaName).text, name)) return it.GetRef().Get();
    return nullptr;
}

// The area of that name among the given areas, then among the model's.
const L3D_OBJDATA_TEXAREA* findTexArea(L3DObjectInstance& instance,
                                       DList<L3D_OBJDATA_TEXAREA>& areas, const L3D_NAMEREF& name) {
    const Token wanted(name);
    if (const L3D_OBJDATA_TEXAREA* area = findArea(areas, wanted.text)) return area;
    return findArea(instance.model->texAreas, wanted.text);
}

const L3DWorldBlock* nodeBlock(L3DObjectInstance& instance, const L3D_NAMEREF& part,
                               const L3D_NAMEREF& bone) {
    const L3DAnimState* node = instance._FindAnimState(Token(part).text, Token(bone).text);
    return node ? &node->block : nullptr;
}

L3D_PARTINST_MAT* findPiece(L3DObjectInstance& instance, const L3D_NAMEREF& part,
                            const L3D_NAMEREF& material) {
    return instance._FindMat(Token(part).text, Token(material).text);
}

// Fills a texture-set event; false when an area or the part is missing (the event is dropped).
bool resolveTexSet(L3DEventInstance& out, L3DObjectInstance& instance,
                   DList<L3D_OBJDATA_TEXAREA>& areas) {
    const auto& record = static_cast<const L3D_OBJDATA_EVENT_TEXSET&>(*out.event);
    const L3D_OBJDATA_TEXAREA* from = findTexArea(instance, areas, record.fromArea);
    const L3D_OBJDATA_TEXAREA* to = findTexArea(instance, areas, record.toArea);
    if (!from || !to) return false;
    out.piece = findPiece(instance, from->partName, from->materialName);
    if (!out.piece) return false;
    out.texture = instance._LoadTexture(Token(to->textureName).text, 1);
    out.sourceU = from->u;
    out.scaleU = to->width / from->width;
    out.targetU = to->u;
    out.sourceV = from->v;
    out.scaleV = to->height / from->height;
    out.targetV = to->v;
    return true;
}

void resolveSe(L3DEventInstance& out, L3DObjectInstance& instance) {
    const auto& record = static_cast<const L3D_OBJDATA_EVENT_SE&>(*out.event);
    const L3DWorldBlock* block = nodeBlock(instance, record.partName, record.boneName);
    out.source = block ? block : &instance.placement;
    out.groupIndex = static_cast<int32_t>(record.groupIndex);
    out.soundNumber = record.soundNumber;
    out.alternativeCount = record.alternativeCount;
    out.alternatives = record.alternatives.Get();
}

void resolveEffect(L3DEventInstance& out, L3DObjectInstance& instance) {
    const auto& record = static_cast<const L3D_OBJDATA_EVENT_EFFECT&>(*out.event);
    const L3DWorldBlock* attach = nodeBlock(instance, record.partName, record.boneName);
    out.attach = attach ? attach : &instance.placement;
    out.trailA = nodeBlock(instance, record.followPart1, record.followBone1);
    out.trailB = nodeBlock(instance, record.followPart2, record.followBone2);
    out.effectData =
        out.kind == L3DEventEffect ? instance.firstEffectData : instance.resourceEffectData;
    out.effectIndex = record.effectNumber;
    if (out.effectData) return;
    if (!instance.context.resource)
        l3dWarning(DSjis<"[L3DAnimInstance::__CreateEvents] エフェクトデータが存在しない">());
    else
        l3dWarning(DSjis<"[L3DAnimInstance::__CreateEvents] エフェクトデータが存在しない(%s)">(),
                   instance.context.resource->name);
}

void resolveSetColl(L3DEventInstance& out, L3DObjectInstance& instance) {
    const auto& record = static_cast<const L3D_OBJDATA_EVENT_SETCOLL&>(*out.event);
    const Token name(record.collGroupName);
    for (auto it = instance.collGroups._GetFirstNode(); it != instance.collGroups._GetEndNode();
         it = it.Next()) {
        L3DCollGroupInstance& group = *it.GetRef();
        if (sameName(group.group->name.Text() ? group.group->name.Text() : "", name.text)) {
            out.collGroup = &group;
            break;
        }
    }
    if (!out.collGroup) l3dError(DSjis<"[L3DAnimInstance::__CreateEvents] setcollのnameが異常">());
    out.mode = record.mode;
}

}  // namespace

L3DAnimState* L3DObjectInstance::_FindAnimState(const char* partName, const char* boneName) {
    const rcptr<L3DPartData> data = model->FindPartData(partName);
    if (!data) return nullptr;
    const rcptr<L3DPartInstance> part = GetPartInstance(data.Get());
    if (!boneName || boneName[0] == '\0') return &part->root;
    // A bone the part does not have names no node.
    const rcptr<L3DBoneData> bone = data->FindBone(boneName);
    if (!bone) return nullptr;
    return &part->GetBone(bone.Get())->node;
}

L3D_PARTINST_MAT* L3DObjectInstance::_FindMat(const char* partName, const char* material) {
    const rcptr<L3DPartData> data = model->FindPartData(partName);
    if (!data) return nullptr;
    return GetPartInstance(data.Get())->GetMat(material).Get();
}

void L3DAnimInstance::__CreateEvents(L3DObjectInstance& instance, L3D_OBJINST_EVENTSET& set,
                                     DList<L3D_OBJDATA_EVENT>& events,
                                     DList<L3D_OBJDATA_TEXAREA>& areas) {
    set.events.Reset();
    set.frame = -1;
    set.next = 0;
    set.count = 0;
    set.events.Allocate(events.Count());
    for (auto it = events._GetFirstNode(); it != events._GetEndNode(); it = it.Next()) {
        const L3D_OBJDATA_EVENT& record = *it.GetRef();
        L3DEventInstance& out = set.events[set.count];
        out = L3DEventInstance{};
        out.frame = static_cast<int32_t>(record.frame);
        out.event = &record;
        out.kind = record.kind;
        bool kept = true;
        switch (record.kind) {
        case L3DEventTexSet:
            kept = resolveTexSet(out, instance, areas);
            break;
        case L3DEventSe:
            resolveSe(out, instance);
            break;
        case L3DEventEffect:
        case L3DEventOwnEffect:
            resolveEffect(out, instance);
            break;
        case L3DEventSetColl:
            resolveSetColl(out, instance);
            break;
        case L3DEventGoFrame:
            out.targetFrame = static_cast<const L3D_OBJDATA_EVENT_GOFRAME&>(record).targetFrame;
            break;
        case L3DEventTexAnim: {
            const auto& anim = static_cast<const L3D_OBJDATA_EVENT_TEXANIM&>(record);
            out.piece = findPiece(instance, anim.partName, anim.materialName);
            out.texAnim = &anim;
            kept = out.piece != nullptr;
            break;
        }
        default:
            l3dError(DSjis<"[L3DAnimInstance::__CreateEvents] 未対応のイベント種類(%d)">(),
                     static_cast<int>(record.kind));
        }
        if (kept) ++set.count;
    }
    // Events of one frame keep their file order: same-frame collision switches decide hits,
    // which lock-step peers must agree on.
    std::stable_sort(
        set.events.Get(), set.events.Get() + set.count,
        [](const L3DEventInstance& a, const L3DEventInstance& b) { return a.frame < b.frame; });
}

// Firing events: texture remaps, sounds, effects, collision switches, go-to-frame jumps and
// texture animations, and the texture animations' step of every frame.
#include "model3d/object_events.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "effects/L3DEffectManager.h"
#include "foundation/DSjisText.h"
#include "model3d/L3DEventInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "pixelconv/math_tables.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/LSeManager.h"

using namespace mirel;

// Voices follow a world block through the sound manager's position record: the same floats.
static_assert(offsetof(L3DWorldBlock, position) == offsetof(LSePositionSource, position));
static_assert(offsetof(L3DWorldBlock, movement) == offsetof(LSePositionSource, velocity));

namespace {

// The integer part of a float, within the range of int32_t (NaN gives 0).
int32_t truncated(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0f) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Frames of one scroll cycle: the steps until the piece's leading coordinate would pass the
// limit. Speed 0 does not scroll.
uint32_t scrollPeriod(float speed, float limit, const L3D_PARTINST_MAT& piece, bool v) {
    if (speed == 0.0f) return 0;
    const L3D_RENDERER_VERTEX* mesh = piece.pieceData->vertices.Get();
    float lead = v ? mesh[0].v : mesh[0].u;
    for (uint32_t i = 1; i < piece.vertexCount; ++i) {
        const float c = v ? mesh[i].v : mesh[i].u;
        lead = speed > 0.0f ? std::max(lead, c) : std::min(lead, c);
    }
    return static_cast<uint32_t>(truncated((limit - lead) / speed) + 1);
}

// The wave offset of step `step` of a cycle of `period` steps: one full sine turn from the
// first step to the last. A period of 1 or less does not wave.
float waveFactor(uint32_t step, uint32_t period, float amplitude, bool cosine) {
    if (period <= 1) return 0.0f;
    const float turn =
        static_cast<float>(step) / static_cast<float>(period - 1) * 6.2831855f * 651.8986469044033f;
    const uint32_t index = (static_cast<uint32_t>(truncated(turn)) & 4095u) + (cosine ? 1024u : 0u);
    return DMathSinTable[index] * amplitude;
}

void setTexture(L3DEventInstance& event) {
    L3D_PARTINST_MAT& piece = *event.piece;
    if (event.texture)
        piece.texture = event.texture;
    else if (piece.material && piece.material->texture1)
        piece.texture = piece.material->texture1;
    const L3D_RENDERER_VERTEX* mesh = piece.pieceData->vertices.Get();
    for (uint32_t i = 0; i < piece.vertexCount; ++i) {
        piece.vertices[i].u = (mesh[i].u - event.sourceU) * event.scaleU + event.targetU;
        piece.vertices[i].v = (mesh[i].v - event.sourceV) * event.scaleV + event.targetV;
    }
    piece.flags |= L3DPieceCopyChanged | L3DPieceTexCoordsChanged;
}

void playSound(L3DEventInstance& event, L3DObjectInstance& instance) {
    if ((instance.status & L3DObjectInstance::StatusMuted) || !instance.renderer) return;
    L3DRenderer& renderer = *instance.renderer;
    if (!renderer.seManager) return;
    LSeManager::_GROUPINFO* group = nullptr;
    if (event.groupIndex >= 0 && static_cast<uint32_t>(event.groupIndex) < instance.seGroups.count)
        group = instance.seGroups.groups[event.groupIndex];
    uint32_t number = event.soundNumber;
    if (event.alternativeCount != 0)
        number = event.alternatives[renderer.random.GetRange(
            static_cast<int32_t>(event.alternativeCount - 1), 0)];
    renderer.seManager->Play(group, number, &instance,
                             reinterpret_cast<const LSePositionSource*>(event.source));
}

void playEffect(L3DEventInstance& event, L3DObjectInstance& instance, uint32_t startDelay) {
    L3DEffectManager* effects =
        instance.renderer ? instance.renderer->effectManager.Get() : nullptr;
    if (!event.effectData || !effects) return;
    const auto& record = static_cast<const L3D_OBJDATA_EVENT_EFFECT&>(*event.event);
    // The record's user pair is a name inside the model; effects only carry their user words,
    // and a name does not fit two 32-bit words here: they get 0.
    const uint32_t user[2] = {0, 0};
    effects->Play(event.effectData, event.effectIndex, startDelay, record.lifetime, record.position,
                  record.rotation, record.scale, user, &instance, event.attach->floats(),
                  event.trailA ? event.trailA->floats() : nullptr,
                  event.trailB ? event.trailB->floats() : nullptr);
}

void startTexAnim(const L3DEventInstance& event, L3DObjectInstance& instance) {
    rcptr<L3D_OBJINST_TSR> running;
    running.Create();
    running->event = &event;
    const L3D_OBJDATA_EVENT_TEXANIM& anim = *event.texAnim;
    if (anim.scrollOn && event.piece->vertexCount > 0) {
        running->uScrollPeriod = scrollPeriod(anim.uSpeed, anim.uLimit, *event.piece, false);
        running->vScrollPeriod = scrollPeriod(anim.vSpeed, anim.vLimit, *event.piece, true);
    }
    instance.residentEvents.AddTail(running);
}

// Steps a counter of a cycle: back to 0 once it reaches the period.
void stepCounter(uint32_t& step, uint32_t period) {
    if (++step >= period) step = 0;
}

void runTexAnim(L3D_OBJINST_TSR& running) {
    const L3DEventInstance& event = *running.event;
    if (event.kind != L3DEventTexAnim)
        l3dError(DSjis<"[L3DObjectInstance::ForwardAnimFrame] 未対応の常駐イベント種類(%d)">(),
                 static_cast<int>(event.kind));
    const L3D_OBJDATA_EVENT_TEXANIM& anim = *event.texAnim;
    L3D_PARTINST_MAT& piece = *event.piece;
    const L3D_RENDERER_VERTEX* mesh = piece.pieceData->vertices.Get();
    L3D_RENDERER_VERTEX* copy = piece.vertices.Get();
    for (uint32_t i = 0; i < piece.vertexCount; ++i) {
        copy[i].u = mesh[i].u;
        copy[i].v = mesh[i].v;
    }
    piece.flags |= L3D_PARTINST_MAT::FlagCpuVertices | L3DPieceCopyChanged |
                   L3DPieceTexCoordsChanged | L3D_PARTINST_MAT::FlagTexCoordsMoved;

    if (anim.scrollOn) {
        if (running.uScrollStep != 0) {
            const float offset = static_cast<float>(running.uScrollStep) * anim.uSpeed;
            for (uint32_t i = 0; i < piece.vertexCount; ++i) copy[i].u += offset;
        }
        stepCounter(running.uScrollStep, running.uScrollPeriod);
        if (running.vScrollStep != 0) {
            const float offset = static_cast<float>(running.vScrollStep) * anim.vSpeed;
            for (uint32_t i = 0; i < piece.vertexCount; ++i) copy[i].v += offset;
        }
        stepCounter(running.vScrollStep, running.vScrollPeriod);
    }
    if (anim.waveOn) {
        const float u = waveFactor(running.uWaveStep, anim.uWavePeriod, anim.uAmplitude, false);
        const float v = waveFactor(running.vWaveStep, anim.vWavePeriod, anim.vAmplitude, true);
        for (uint32_t i = 0; i < piece.vertexCount; ++i) {
            if (anim.heightRelative) {
                copy[i].u += (mesh[i].y - anim.uBaseHeight) * u;
                copy[i].v += (mesh[i].y - anim.vBaseHeight) * v;
            } else {
                copy[i].u += u;
                copy[i].v += v;
            }
        }
        stepCounter(running.uWaveStep, anim.uWavePeriod);
        stepCounter(running.vWaveStep, anim.vWavePeriod);
    }
}

}  // namespace

bool L3DObjectInstance::_workEvent(L3DEventInstance& event, uint32_t& target, uint32_t startDelay) {
    switch (event.kind) {
    case L3DEventTexSet:
        setTexture(event);
        return false;
    case L3DEventSe:
        playSound(event, *this);
        return false;
    case L3DEventEffect:
    case L3DEventOwnEffect:
        playEffect(event, *this, startDelay);
        return false;
    case L3DEventSetColl:
        if (event.mode & 1)
            event.collGroup->_Switch(true);
        else if (event.mode & 2)
            event.collGroup->_Switch(false);
        return false;
    case L3DEventGoFrame:
        target = event.targetFrame;
        return true;
    case L3DEventTexAnim:
        startTexAnim(event, *this);
        return false;
    default:
        l3dError(DSjis<"[L3DObjectInstance::_workEvent] 未対応のイベント種類(%d)">(),
                 static_cast<int>(event.kind));
    }
}

void l3dAdvanceEventSet(L3DObjectInstance& instance, L3D_OBJINST_EVENTSET& set) {
    // Go-to-frame events that jump back within one frame (one aiming at its own frame, or a
    // chain) would repeat the step without end: after count + 1 jumps the set stops jumping
    // for this frame and goes on from where it is.
    uint32_t jumps = 0;
    for (;;) {
        ++set.frame;
        bool jumped = false;
        uint32_t target = 0;
        while (set.next < set.count && set.events[set.next].frame <= set.frame) {
            L3DEventInstance& event = set.events[set.next];
            ++set.next;
            uint32_t to = 0;
            if (instance._workEvent(event, to, 0)) {
                jumped = true;
                target = to;
            }
        }
        if (!jumped) return;
        if (++jumps > set.count + 1) {
            l3dLog(0,
                   "[L3DObjectInstance::ForwardAnimFrame] go-to-frame events jump back within "
                   "one frame: stopped at frame %d",
                   set.frame);
            return;
        }
        set.frame = static_cast<int32_t>(target) - 1;
        set.next = 0;
        while (set.next < set.count && set.events[set.next].frame < static_cast<int32_t>(target))
            ++set.next;
    }
}

void l3dRunResidentEvents(L3DObjectInstance& instance) {
    DList<L3D_OBJINST_TSR>& list = instance.residentEvents;
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        runTexAnim(*it.GetRef());
}

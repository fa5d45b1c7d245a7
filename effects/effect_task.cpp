// The effect task: once per frame every playing instance is held, follows its target, counts
// its lifetime and start delay, and steps its root part and then its child parts. A part step
// runs the part's due events and then its per-frame animation (effect_animation.cpp).
#include <cmath>

#include "effects/L3DEffectManager.h"
#include "effects/effect_part_motion.h"
#include "foundation/DSjisText.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LQuat.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/LSeManager.h"

using namespace mirel;

namespace {

// What an event did to the event loop.
enum class EventResult { Next, End, Jumped };

uint32_t firstEventAt(const L3D_EFFECT_PART& part, int32_t frame) {
    uint32_t cursor = 0;
    while (cursor < part.eventCount && part.events[cursor].time < frame) ++cursor;
    return cursor;
}

[[noreturn]] void partNumberOutOfRange(int32_t number, uint32_t count) {
    l3dError(DSjis<"[L3DEffectManager::_TaskPart] パーツ番号が範囲外(%d/%d)">(), number,
             static_cast<int>(count));
}

// base[i] + rand × range[i] for n channels, drawn in channel order.
void drawAround(L3DRandom& random, const L3D_EFFECT_EVENT& event, float* out, int n) {
    for (int i = 0; i < n; ++i) out[i] = event.f(i) + random.GetFloat() * event.f(i + n);
}

class EventRunner {
public:
    EventRunner(L3DEffectManager& manager, L3D_EFFECT_WORKPART& work, bool& imageChanged)
        : manager_(manager),
          work_(work),
          random_(manager.renderer->random),
          imageChanged_(imageChanged) {}

    EventResult run(const L3D_EFFECT_EVENT& e) {
        L3D_EFFECT_WORKPART& w = work_;
        switch (e.kind) {
        case 0:
            return EventResult::End;
        case 1:
            return jump(e);
        case 2:
            spawn(e);
            break;
        case 3:
            manager_._SetPartOrder(&w, w.basePriority + e.i(2));
            w.image = e.i(0);
            w.model = e.i(1);
            w.imageMode = 1;
            imageChanged_ = true;
            break;
        case 4:
        case 5:
            manager_._SetPartOrder(&w, w.basePriority + e.i(4));
            w.firstImage = e.i(0);
            w.lastImage = e.i(1);
            w.imageInterval = e.i(2);
            w.model = e.i(3);
            w.imageCountdown = 0;
            if (e.kind == 4) {
                w.image = w.firstImage - 1;
                w.imageMode = 2;
            } else {
                w.imageMode = 3;
            }
            break;
        case 6:
            manager_._SetPartOrder(&w, w.basePriority + e.i(3));
            w.image = random_.GetRange(e.i(1), e.i(0));
            w.model = e.i(2);
            w.imageMode = 1;
            imageChanged_ = true;
            break;
        case 7:
            if (w.imageMode != 0) w.imageMode = 1;
            break;
        case 8:
            copy(e, w.colour, 4);
            w.colourMode = 0;
            imageChanged_ = true;
            break;
        case 9:
            copy(e, w.colourBase, 4);
            w.colourMode = 1;
            break;
        case 10:
            atIntervals(e, w.colourBase, w.colourRange, 4, w.colourInterval, w.colourCountdown);
            w.colourMode = 2;
            break;
        case 11:
            drawAround(random_, e, w.colour, 4);
            w.colourMode = 0;
            imageChanged_ = true;
            break;
        case 12:
            w.colourMode = 0;
            break;
        case 13:
            copy(e, w.position, 3);
            w.positionMode = 0;
            break;
        case 14:
            copy(e, w.positionBase, 3);
            w.positionMode = 1;
            break;
        case 15:
            atIntervals(e, w.positionBase, w.positionRange, 3, w.positionInterval,
                        w.positionCountdown);
            w.positionMode = 2;
            break;
        case 16:
            drawAround(random_, e, w.position, 3);
            w.positionMode = 0;
            break;
        case 17:
            w.positionMode = 0;
            break;
        case 18:
            copy(e, w.scale, 3);
            w.scaleMode = 0;
            break;
        case 19:
            copy(e, w.scaleBase, 3);
            w.scaleMode = 1;
            break;
        case 20:
            atIntervals(e, w.scaleBase, w.scaleRange, 3, w.scaleInterval, w.scaleCountdown);
            w.scaleMode = 2;
            break;
        case 21:
            drawAround(random_, e, w.scale, 3);
            w.scaleMode = 0;
            break;
        case 22:
            w.scaleMode = 0;
            break;
        case 23:
            effectTurn(w, {e.f(0), e.f(1), e.f(2), e.f(3)});
            effectRebuildRotation(w);
            break;
        case 24:
            copy(e, w.angularVelocity, 4);
            w.rotationMode = 1;
            break;
        case 25:
            copy(e, w.axisBase, 3);
            for (int i = 0; i < 3; ++i) w.axisRange[i] = e.f(3 + i);
            w.angleBase = e.f(6);
            w.angleRange = e.f(7);
            w.rotationInterval = e.i(8);
            w.rotationCountdown = 0;
            w.rotationMode = 2;
            break;
        case 26: {
            LQuat turn;
            if (randomTurn(e, turn)) effectTurn(w, turn);
            effectRebuildRotation(w);
            break;
        }
        case 27:
            w.rotationMode = 0;
            break;
        case 28:
            playSound(e);
            break;
        case 29:
            drawAround(random_, e, w.colourBase, 4);
            w.colourMode = 1;
            break;
        case 30:
            drawAround(random_, e, w.positionBase, 3);
            w.positionMode = 1;
            break;
        case 31:
            drawAround(random_, e, w.scaleBase, 3);
            w.scaleMode = 1;
            break;
        case 32: {
            LQuat turn;
            if (!randomTurn(e, turn)) turn = {0.0f, 0.0f, 0.0f, 1.0f};
            w.angularVelocity[0] = turn.x;
            w.angularVelocity[1] = turn.y;
            w.angularVelocity[2] = turn.z;
            w.angularVelocity[3] = turn.w;
            w.rotationMode = 1;
            break;
        }
        case 33:
            w.scaleBase[0] = e.f(0);
            w.scaleBase[2] = e.f(1);
            w.scaleRange[0] = e.f(2);
            w.scaleRange[2] = e.f(3);
            w.scaleInterval = e.i(4);
            w.scaleCountdown = 0;
            w.scaleMode = 3;
            break;
        case 34:
        case 35: {
            const float xy = e.f(0) + random_.GetFloat() * e.f(2);
            const float z = e.f(1) + random_.GetFloat() * e.f(3);
            float* target = e.kind == 34 ? w.scale : w.scaleBase;
            target[0] = target[1] = xy;
            target[2] = z;
            w.scaleMode = e.kind == 34 ? 0 : 1;
            break;
        }
        case 36:
            w.scaleBase[0] = e.f(0);
            w.scaleRange[0] = e.f(1);
            w.scaleInterval = e.i(2);
            w.scaleCountdown = 0;
            w.scaleMode = 4;
            break;
        case 37:
        case 38: {
            const float s = e.f(0) + random_.GetFloat() * e.f(1);
            float* target = e.kind == 37 ? w.scale : w.scaleBase;
            target[0] = target[1] = target[2] = s;
            w.scaleMode = e.kind == 37 ? 0 : 1;
            break;
        }
        case 39:
            startTrail(e);
            break;
        case 40:
            copy(e, w.position, 3);
            effectAlongRotation(w, w.position, w.position);
            w.positionMode = 0;
            break;
        case 41:
            copy(e, w.positionBase, 3);
            w.positionMode = 3;
            break;
        case 42:
            atIntervals(e, w.positionBase, w.positionRange, 3, w.positionInterval,
                        w.positionCountdown);
            w.positionMode = 4;
            break;
        case 43:
            drawAround(random_, e, w.position, 3);
            effectAlongRotation(w, w.position, w.position);
            w.positionMode = 0;
            break;
        case 44:
            drawAround(random_, e, w.positionBase, 3);
            w.positionMode = 3;
            break;
        default:
            l3dError(DSjis<"[L3DEffectManager::_TaskPart] 実装されていないイベント(%d)">(),
                     static_cast<int>(e.kind));
        }
        return EventResult::Next;
    }

private:
    static void copy(const L3D_EFFECT_EVENT& e, float* out, int n) {
        for (int i = 0; i < n; ++i) out[i] = e.f(i);
    }
    // Base in words 0..n−1, range in n..2n−1, interval in word 2n; the first action happens in
    // this step.
    static void atIntervals(const L3D_EFFECT_EVENT& e, float* base, float* range, int n,
                            int32_t& interval, int32_t& countdown) {
        for (int i = 0; i < n; ++i) {
            base[i] = e.f(i);
            range[i] = e.f(i + n);
        }
        interval = e.i(2 * n);
        countdown = 0;
    }

    // Axis base in words 0..2, axis range in 3..5, angle base and range in 6 and 7.
    bool randomTurn(const L3D_EFFECT_EVENT& e, LQuat& turn) {
        const float base[3] = {e.f(0), e.f(1), e.f(2)};
        const float range[3] = {e.f(3), e.f(4), e.f(5)};
        return effectRandomTurn(random_, base, range, e.f(6), e.f(7), turn);
    }

    EventResult jump(const L3D_EFFECT_EVENT& e) {
        L3D_EFFECT_WORKROOT& instance = *work_.instance;
        const L3D_EFFECT_ROOT& root = *instance.root;
        const int32_t target = e.i(0);
        const int32_t who = e.i(1);
        if (who < -2 || (who >= 0 && static_cast<uint32_t>(who) >= root.partCount))
            partNumberOutOfRange(who, root.partCount);
        if (who == -2) {
            instance.rootPart.pendingJump = target;
        } else if (who == -1) {
            work_.frame = target;
            work_.cursor = firstEventAt(*work_.part, target);
            return EventResult::Jumped;
        } else {
            const L3D_EFFECT_PART* record = &root.parts[static_cast<uint32_t>(who)];
            for (L3D_EFFECT_WORKPART* child = instance.children; child; child = child->next)
                if (child->part == record) child->pendingJump = target;
        }
        return EventResult::Next;
    }

    void spawn(const L3D_EFFECT_EVENT& e) {
        L3D_EFFECT_WORKROOT& instance = *work_.instance;
        const L3D_EFFECT_ROOT& root = *instance.root;
        const int32_t number = e.i(0);
        if (number < 0 || static_cast<uint32_t>(number) >= root.partCount)
            partNumberOutOfRange(number, root.partCount);
        L3D_EFFECT_WORKPART* part = manager_._AllocPart(
            &instance, &root.parts[static_cast<uint32_t>(number)], work_.drawPriority);
        // A part spawned by the root part steps in this frame's child loop; one spawned by a
        // child part has already been passed by that loop, so it steps now.
        if (part && &work_ != &instance.rootPart) manager_._StepSpawned(part);
    }

    void playSound(const L3D_EFFECT_EVENT& e) {
        LSeManager* se = manager_.renderer->seManager.get();
        if (!se) return;
        const L3D_SEGROUPLIST& groups = work_.instance->data->seGroups;
        LSeManager::_GROUPINFO* group = e.p[0] < groups.count ? groups.groups[e.p[0]] : nullptr;
        se->Play(group, e.p[1], &work_, nullptr);
    }

    void startTrail(const L3D_EFFECT_EVENT& e) {
        if (!work_.trail) work_.trail = manager_.trackers.Take();
        L3D_EFFECT_TRACKER& trail = *work_.trail;
        trail.countdown = 1;
        trail.life = static_cast<float>(e.i(0));
        trail.inverseLife = trail.life > 0.0f ? 1.0f / trail.life : 0.0f;
        trail.interval = e.i(1);
        trail.segmentLength = e.f(2);
        trail.sampleCount = 0;
        trail.provisionalCount = 0;
    }

    L3DEffectManager& manager_;
    L3D_EFFECT_WORKPART& work_;
    L3DRandom& random_;
    bool& imageChanged_;
};

}  // namespace

void L3DEffectManager::Task() {
    blendSeen = 0;
    L3D_EFFECT_WORKROOT* next = nullptr;
    for (L3D_EFFECT_WORKROOT* instance = active; instance; instance = next) {
        next = instance->next;
        if (instance->holdFlags != 0) {
            if (instance->holdCounter > 0) {
                --instance->holdCounter;
                if (instance->holdFlags & L3DEffectHoldStill) continue;
            } else {
                instance->holdFlags = 0;
            }
        }
        if ((instance->root->flags & L3DEffectRootFollow) && instance->attach) {
            for (int i = 0; i < 3; ++i) instance->position[i] = instance->attach[i];
            for (int i = 0; i < 4; ++i) instance->rotation[i] = instance->attach[9 + i];
        }
        if (instance->lifetime != L3DEffectEndless) {
            if (instance->lifetime == 0) {
                _FreeRoot(instance);
                continue;
            }
            --instance->lifetime;
        }
        if (instance->startDelay > 0) {
            --instance->startDelay;
            continue;
        }
        if (_TaskPart(&instance->rootPart)) {
            _FreeRoot(instance);
            continue;
        }
        // Newest first; a child's end does not end the instance.
        L3D_EFFECT_WORKPART* nextPart = nullptr;
        for (L3D_EFFECT_WORKPART* part = instance->children; part; part = nextPart) {
            nextPart = part->next;
            _TaskPart(part);
        }
    }
}

void L3DEffectManager::_StepSpawned(L3D_EFFECT_WORKPART* work) {
    // Parts that spawn their own kind in their first step would spawn and step without end. A
    // chain of nested first steps longer than the root has parts repeats a part record, and a
    // repeated first step repeats what it spawns for ever: the part waits for the next frame's
    // child loop instead.
    if (spawnDepth_ >= work->instance->root->partCount) {
        l3dLog(1,
               "[L3DEffectManager::_TaskPart] parts spawn each other without end; part %d "
               "steps next frame",
               static_cast<int>(work->part - work->instance->root->parts.Get()));
        return;
    }
    struct Nested {
        uint32_t& depth;
        explicit Nested(uint32_t& d) : depth(d) { ++depth; }
        ~Nested() { --depth; }
    } nested(spawnDepth_);
    _TaskPart(work);
}

bool L3DEffectManager::_TaskPart(L3D_EFFECT_WORKPART* work) {
    const L3D_EFFECT_PART& part = *work->part;
    if (work->pendingJump != -1) {
        work->frame = work->pendingJump;
        work->pendingJump = -1;
        work->cursor = firstEventAt(part, work->frame);
    } else {
        // A part held at the last frame by the jump cap wraps round instead of overflowing.
        work->frame = static_cast<int32_t>(static_cast<uint32_t>(work->frame) + 1u);
    }

    bool imageChanged = false;
    EventRunner runner(*this, *work, imageChanged);
    // A self jump to its own time or later would run again in this step for ever; data that
    // only jumps back or ahead never needs more jumps in one step than it has events.
    const uint32_t jumpLimit = part.eventCount + 1;
    uint32_t jumps = 0;
    for (;;) {
        if (work->cursor >= part.eventCount) {
            _FreePart(work);
            return true;
        }
        const L3D_EFFECT_EVENT& event = part.events[work->cursor];
        if (event.time > work->frame) break;
        ++work->cursor;
        const EventResult result = runner.run(event);
        if (result == EventResult::End) {
            _FreePart(work);
            return true;
        }
        if (result == EventResult::Jumped && ++jumps == jumpLimit) {
            l3dLog(1,
                   "[L3DEffectManager::_TaskPart] %u time jumps in one step at frame %d; the "
                   "step ends here",
                   jumps, work->frame);
            break;
        }
    }

    _AnimatePart(work, imageChanged);
    return false;
}

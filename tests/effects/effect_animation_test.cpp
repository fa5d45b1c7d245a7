// What a part step leaves in the part: every random value drawn from the renderer's generator
// in its order, actions at intervals, image sequences, the colour clamp, the modes that stop,
// the draw list by priority, the part's matrices and the blend-seen word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "render3d/LQuat.h"
#include "render3d/LVec.h"
#include "tests/effects/timeline_fixture.h"

namespace tessera::test {
namespace {

using tools::writers::EffectEvent;
using Floats = std::vector<float>;

constexpr float kRadians = 0.017453292f;

EffectEvent held(int32_t time, int32_t image = 0, int32_t priority = 0) {
    return event(time, 3, {I(image), I(-1), I(priority)});
}
EffectEvent end(int32_t time) { return event(time, 0); }

template <size_t N>
Floats floats(const std::array<float, N>& values) {
    return Floats(values.begin(), values.end());
}

void expectNear(const Floats& actual, const Floats& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-6f) << i;
}

// The quaternion of a turn drawn as the events draw it: angle first, then the axis.
Floats turnDrawn(L3DRandom& r, const float base[3], const float range[3], float angleBase,
                 float angleRange) {
    const float angle = angleBase + r.GetFloat() * angleRange;
    LVec axis;
    axis.x = base[0] + r.GetFloat() * range[0];
    axis.y = base[1] + r.GetFloat() * range[1];
    axis.z = base[2] + r.GetFloat() * range[2];
    LVec::Normalize(axis, axis);
    const float s = std::sin(angle / 2.0f);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2.0f)};
}

class EffectAnimation : public EffectTimeline {
protected:
    bool sameGenerator() const {
        const L3DRandom& a = renderer_.random;
        return a.x == twin_.x && a.y == twin_.y && a.z == twin_.z && a.w == twin_.w;
    }
    void reseed() {
        L3DRandom::Seed(kSeed, renderer_.random);
        twin_ = renderer_.random;
    }
};

TEST_F(EffectAnimation, EveryRandomValueComesFromTheGeneratorInItsOrder) {
    const float axisBase[3] = {1.0f, 0.0f, 0.0f};
    const float axisRange[3] = {0.0f, 1.0f, 0.5f};
    const auto drawAround = [](L3DRandom& r, Floats base, Floats range) {
        Floats out;
        for (size_t i = 0; i < base.size(); ++i) out.push_back(base[i] + r.GetFloat() * range[i]);
        return out;
    };
    struct Case {
        const char* what;
        std::vector<EffectEvent> events;  // after a held image at 0
        std::function<Floats(L3DRandom&)> expected;
        std::function<Floats(const PartState&)> actual;
    };
    const auto colour = [](const PartState& s) { return floats(s.colour); };
    const auto position = [](const PartState& s) { return floats(s.position); };
    const auto scale = [](const PartState& s) { return floats(s.scale); };
    const auto rotation = [](const PartState& s) { return floats(s.rotation); };
    const auto clamped = [](Floats v) {
        for (float& c : v) c = std::clamp(c, 0.0f, 1.0f);
        return v;
    };
    const auto plusOne = [](Floats v) {
        for (float& c : v) c += 1.0f;
        return v;
    };
    const Case cases[] = {
        {"11 colour",
         {event(0, 11, {F(0.1f), F(0.2f), F(0.3f), F(0.4f), F(0.5f), F(0.5f), F(0.25f), F(0.5f)})},
         [&](L3DRandom& r) { return drawAround(r, {0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.5f, 0.25f, 0.5f}); },
         colour},
        {"16 position",
         {event(0, 16, {F(1), F(2), F(3), F(4), F(5), F(6)})},
         [&](L3DRandom& r) { return drawAround(r, {1, 2, 3}, {4, 5, 6}); },
         position},
        {"21 scale",
         {event(0, 21, {F(1), F(2), F(3), F(-4), F(5), F(6)})},
         [&](L3DRandom& r) { return drawAround(r, {1, 2, 3}, {-4, 5, 6}); },
         scale},
        {"34 scale xy then z",
         {event(0, 34, {F(1), F(2), F(3), F(4)})},
         [&](L3DRandom& r) {
             const float xy = 1.0f + r.GetFloat() * 3.0f;
             const float z = 2.0f + r.GetFloat() * 4.0f;
             return Floats{xy, xy, z};
         },
         scale},
        {"37 uniform scale",
         {event(0, 37, {F(2), F(3)})},
         [&](L3DRandom& r) {
             const float s = 2.0f + r.GetFloat() * 3.0f;
             return Floats{s, s, s};
         },
         scale},
        {"6 one random image",
         {event(0, 6, {I(2), I(9), I(-1), I(0)})},
         [&](L3DRandom& r) { return Floats{static_cast<float>(r.GetRange(9, 2))}; },
         [](const PartState& s) { return Floats{static_cast<float>(s.image)}; }},
        {"26 one random turn: angle, then axis",
         {event(0, 26, {F(1), F(0), F(0), F(0), F(1), F(0.5f), F(30), F(60)})},
         [&](L3DRandom& r) {
             return turnDrawn(r, axisBase, axisRange, 30.0f * kRadians, 60.0f * kRadians);
         },
         rotation},
        {"26 with an angle below 1e-6 draws no axis",
         {event(0, 26, {F(1), F(0), F(0), F(0), F(1), F(0.5f), F(0), F(0)})},
         [&](L3DRandom& r) {
             r.GetFloat();
             return Floats{0, 0, 0, 1};
         },
         rotation},
        {"32 random angular velocity, applied in the same step",
         {event(0, 32, {F(1), F(0), F(0), F(0), F(1), F(0.5f), F(30), F(60)})},
         [&](L3DRandom& r) {
             return turnDrawn(r, axisBase, axisRange, 30.0f * kRadians, 60.0f * kRadians);
         },
         rotation},
        {"29 colour velocity, clamped",
         {event(0, 8, {F(0), F(0), F(0), F(0)}),
          event(0, 29, {F(0.1f), F(-0.2f), F(0.3f), F(0.4f), F(0.5f), F(0.1f), F(0.5f), F(1)})},
         [&](L3DRandom& r) {
             return clamped(drawAround(r, {0.1f, -0.2f, 0.3f, 0.4f}, {0.5f, 0.1f, 0.5f, 1}));
         },
         colour},
        {"30 position velocity",
         {event(0, 30, {F(1), F(2), F(3), F(4), F(5), F(6)})},
         [&](L3DRandom& r) { return drawAround(r, {1, 2, 3}, {4, 5, 6}); },
         position},
        {"31 scale velocity",
         {event(0, 31, {F(1), F(2), F(3), F(4), F(5), F(6)})},
         [&](L3DRandom& r) { return plusOne(drawAround(r, {1, 2, 3}, {4, 5, 6})); },
         scale},
        {"35 scale velocity xy then z",
         {event(0, 35, {F(1), F(2), F(3), F(4)})},
         [&](L3DRandom& r) {
             const float xy = 1.0f + r.GetFloat() * 3.0f;
             const float z = 2.0f + r.GetFloat() * 4.0f;
             return plusOne({xy, xy, z});
         },
         scale},
        {"38 uniform scale velocity",
         {event(0, 38, {F(2), F(3)})},
         [&](L3DRandom& r) {
             const float s = 2.0f + r.GetFloat() * 3.0f;
             return plusOne({s, s, s});
         },
         scale},
        {"43 position along the rotation",
         {event(0, 23, {F(0), F(0), F(1), F(90)}),
          event(0, 43, {F(1), F(2), F(3), F(4), F(5), F(6)})},
         [&](L3DRandom& r) {
             const Floats p = drawAround(r, {1, 2, 3}, {4, 5, 6});
             return Floats{-p[1], p[0], p[2]};  // a quarter turn about z
         },
         position},
        {"44 velocity along the rotation",
         {event(0, 23, {F(0), F(0), F(1), F(90)}),
          event(0, 44, {F(1), F(2), F(3), F(4), F(5), F(6)})},
         [&](L3DRandom& r) {
             const Floats p = drawAround(r, {1, 2, 3}, {4, 5, 6});
             return Floats{-p[1], p[0], p[2]};
         },
         position},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reseed();
        std::vector<EffectEvent> events{held(0)};
        events.insert(events.end(), c.events.begin(), c.events.end());
        events.push_back(end(9));
        play(loadRoot(events));
        const auto states = run(1);
        const Floats expected = c.expected(twin_);
        expectNear(c.actual(states.at(0).at(0)), expected);
        EXPECT_TRUE(sameGenerator()) << "a draw too many or too few";
        manager_.StopAll();
    }
}

TEST_F(EffectAnimation, ActionsAtIntervalsDrawInTheirFirstStepAndEveryIntervalAfter) {
    const float axisBase[3] = {0.0f, 0.0f, 1.0f};
    const float axisRange[3] = {0.0f, 0.0f, 0.0f};
    struct Case {
        const char* what;
        EffectEvent start;
        // The draws of one action, as the part makes them.
        std::function<Floats(L3DRandom&)> draw;
        std::function<Floats(const PartState&)> actual;
    };
    const Case cases[] = {
        {"10 colour", event(0, 10, {F(0), F(0), F(0), F(0), F(1), F(1), F(1), F(1), I(2)}),
         [](L3DRandom& r) {
             Floats c;
             for (int i = 0; i < 4; ++i) c.push_back(r.GetFloat());
             return c;
         },
         [](const PartState& s) { return floats(s.colour); }},
        {"15 position", event(0, 15, {F(1), F(1), F(1), F(2), F(2), F(2), I(2)}),
         [](L3DRandom& r) {
             Floats p;
             for (int i = 0; i < 3; ++i) p.push_back(1.0f + r.GetFloat() * 2.0f);
             return p;
         },
         [](const PartState& s) { return floats(s.position); }},
        {"20 scale", event(0, 20, {F(1), F(1), F(1), F(2), F(2), F(2), I(2)}),
         [](L3DRandom& r) {
             Floats p;
             for (int i = 0; i < 3; ++i) p.push_back(1.0f + r.GetFloat() * 2.0f);
             return p;
         },
         [](const PartState& s) { return floats(s.scale); }},
        {"33 scale with x = y", event(0, 33, {F(1), F(2), F(3), F(4), I(2)}),
         [](L3DRandom& r) {
             const float xy = 1.0f + r.GetFloat() * 3.0f;
             const float z = 2.0f + r.GetFloat() * 4.0f;
             return Floats{xy, xy, z};
         },
         [](const PartState& s) { return floats(s.scale); }},
        {"36 uniform scale", event(0, 36, {F(1), F(3), I(2)}),
         [](L3DRandom& r) {
             const float s = 1.0f + r.GetFloat() * 3.0f;
             return Floats{s, s, s};
         },
         [](const PartState& s) { return floats(s.scale); }},
        {"5 random images", event(0, 5, {I(2), I(6), I(2), I(-1), I(0)}),
         [](L3DRandom& r) { return Floats{static_cast<float>(r.GetRange(6, 2))}; },
         [](const PartState& s) { return Floats{static_cast<float>(s.image)}; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reseed();
        play(loadRoot({held(0), c.start, end(9)}));
        const auto states = run(4);
        // Draws at frames 0 and 2; frames 1 and 3 keep the value.
        const Floats first = c.draw(twin_);
        const Floats third = c.draw(twin_);
        expectNear(c.actual(states[0][0]), first);
        expectNear(c.actual(states[1][0]), first);
        expectNear(c.actual(states[2][0]), third);
        expectNear(c.actual(states[3][0]), third);
        EXPECT_TRUE(sameGenerator());
        manager_.StopAll();
    }

    // 42: a random step along the rotation every 2 frames, added to the position.
    reseed();
    play(loadRoot({held(0), event(0, 42, {F(1), F(0), F(0), F(1), F(0), F(0), I(2)}), end(9)}));
    const auto steps = run(3);
    // Each step draws x, y and z; only x has a range.
    const float a = 1.0f + twin_.GetFloat();
    twin_.GetFloat();
    twin_.GetFloat();
    const float b = 1.0f + twin_.GetFloat();
    twin_.GetFloat();
    twin_.GetFloat();
    EXPECT_FLOAT_EQ(steps[1][0].position[0], a);
    EXPECT_FLOAT_EQ(steps[2][0].position[0], a + b);
    EXPECT_TRUE(sameGenerator());
    manager_.StopAll();

    // 25: a random turn every 2 frames.
    reseed();
    play(loadRoot(
        {held(0), event(0, 25, {F(0), F(0), F(1), F(0), F(0), F(0), F(10), F(20), I(2)}), end(9)}));
    const auto turns = run(2);
    expectNear(floats(turns[1][0].rotation),
               turnDrawn(twin_, axisBase, axisRange, 10.0f * kRadians, 20.0f * kRadians));
    EXPECT_TRUE(sameGenerator());
}

TEST_F(EffectAnimation, ASequenceShowsEachImageForItsIntervalAndHoldsTheLast) {
    struct Case {
        const char* what;
        int32_t first, last, interval;
        std::vector<int32_t> images;
        std::vector<uint32_t> modes;
    };
    const Case cases[] = {
        {"0 to 2 every 2 frames", 0, 2, 2, {0, 0, 1, 1, 2, 2, 2}, {2, 2, 2, 2, 1, 1, 1}},
        {"first = last holds at once", 3, 3, 5, {3, 3, 3}, {1, 1, 1}},
        {"every frame", 4, 6, 1, {4, 5, 6, 6}, {2, 2, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        play(loadRoot({event(0, 4, {I(c.first), I(c.last), I(c.interval), I(-1), I(0)}), end(20)}));
        std::vector<int32_t> images;
        std::vector<uint32_t> modes;
        for (const auto& parts : run(static_cast<int>(c.images.size()))) {
            images.push_back(parts.at(0).image);
            modes.push_back(parts.at(0).imageMode);
        }
        EXPECT_EQ(images, c.images);
        EXPECT_EQ(modes, c.modes);
        manager_.StopAll();
    }
}

TEST_F(EffectAnimation, ColourVelocityIsClampedWhileScaleAndPositionAreNot) {
    play(
        loadRoot({held(0), event(0, 8, {F(0.5f), F(0.5f), F(0.5f), F(0.5f)}),
                  event(0, 9, {F(0.25f), F(-0.25f), F(0), F(1)}), event(0, 19, {F(-1), F(0), F(0)}),
                  event(0, 14, {F(0), F(-100), F(0)}), end(9)}));
    const auto states = run(3);
    using C = std::array<float, 4>;
    EXPECT_EQ(states[0][0].colour, (C{0.75f, 0.25f, 0.5f, 1.0f}));
    EXPECT_EQ(states[1][0].colour, (C{1.0f, 0.0f, 0.5f, 1.0f}));
    EXPECT_EQ(states[2][0].colour, (C{1.0f, 0.0f, 0.5f, 1.0f}));
    // The final colour is the image definition's factor (0.5 for red) times the colour.
    EXPECT_EQ(states[2][0].finalColour, (C{0.5f, 0.0f, 0.5f, 1.0f}));
    EXPECT_EQ(states[2][0].scale[0], -2.0f);
    EXPECT_EQ(states[2][0].position[1], -300.0f);
}

TEST_F(EffectAnimation, StopEventsKeepWhatTheModeReached) {
    play(loadRoot({event(0, 4, {I(0), I(9), I(1), I(-1), I(0)}), event(0, 14, {F(1), F(0), F(0)}),
                   event(0, 19, {F(1), F(0), F(0)}), event(0, 9, {F(-0.25f), F(0), F(0), F(0)}),
                   event(0, 24, {F(0), F(0), F(1), F(90)}), event(2, 7), event(2, 12), event(2, 17),
                   event(2, 22), event(2, 27), end(9)}));
    const auto states = run(4);
    const PartState& stopped = states[1][0];  // frame 1: the last animated step
    for (const PartState& later : {states[2][0], states[3][0]}) {
        EXPECT_EQ(later.image, stopped.image);
        EXPECT_EQ(later.imageMode, 1u);
        EXPECT_EQ(later.position, stopped.position);
        EXPECT_EQ(later.scale, stopped.scale);
        EXPECT_EQ(later.colour, stopped.colour);
        EXPECT_EQ(later.rotation, stopped.rotation);
    }
    EXPECT_EQ(stopped.image, 1);
    EXPECT_EQ(stopped.position[0], 2.0f);
    EXPECT_EQ(stopped.colour[0], 0.5f);
}

TEST_F(EffectAnimation, TheDrawListRunsByPriorityNewestPlacedFirstAmongEquals) {
    // The root spawns three parts (base priority 0), then takes priority 1 itself; the parts
    // place themselves at their first step: part 2 at 0, part 1 at 1 (before the root), part 0
    // at 3.
    play(loadRoot({event(0, 2, {I(0)}), event(0, 2, {I(1)}), event(0, 2, {I(2)}), held(0, 0, 1),
                   held(2, 1, 1), held(3, 0, 4), end(9)},
                  {{held(0, 0, 3), end(9)}, {held(0, 0, 1), end(9)}, {held(0, 0, 0), end(9)}}));
    const auto drawOrder = [&] {
        std::vector<int> records;
        const L3D_EFFECT_WORKROOT& instance = *manager_.active;
        for (const L3D_EFFECT_WORKPART* p = instance.drawList; p; p = p->nextDraw) {
            records.push_back(p == &instance.rootPart
                                  ? -1
                                  : static_cast<int>(p->part - instance.root->parts.Get()));
            if (p->nextDraw) {
                EXPECT_EQ(p->nextDraw->previousDraw, p);
            }
        }
        return records;
    };
    manager_.Task();
    EXPECT_EQ(drawOrder(), (std::vector<int>{2, 1, -1, 0}));
    // The same priority again keeps the place; a new one moves the part.
    manager_.Task();
    manager_.Task();
    EXPECT_EQ(drawOrder(), (std::vector<int>{2, 1, -1, 0}));
    manager_.Task();
    EXPECT_EQ(drawOrder(), (std::vector<int>{2, 1, 0, -1}));
    EXPECT_EQ(manager_.active->rootPart.drawPriority, 4);

    // A part spawned by a part of priority 3 adds its offset to 3.
    play(loadRoot({held(0, 0, 3), event(0, 2, {I(0)}), end(9)}, {{held(0, 0, 2), end(9)}}));
    const auto states = run(1);
    EXPECT_EQ(states[0][1].drawPriority, 5);
}

TEST_F(EffectAnimation, MatricesPlaceThePartOnItsParent) {
    tools::writers::EffectData data =
        oneRoot({held(0), event(0, 13, {F(1), F(2), F(3)}), event(0, 18, {F(2), F(2), F(2)}),
                 event(0, 2, {I(0)}), event(0, 2, {I(1)}), end(9)});
    data.roots[0].flags = L3DEffectRootFollow;
    data.roots[0].parts.push_back({L3DEffectPartHangs, {event(0, 13, {F(0), F(1), F(0)}), end(9)}});
    data.roots[0].parts.push_back({0, {event(0, 13, {F(0), F(1), F(0)}), end(9)}});
    const L3D_EFFECT_DATA* loaded = load(data);
    float target[13] = {10.0f, 0.0f, 0.0f, 0, 0, 0, 0, 0, 0, 0.0f, 0.0f, 0.0f, 1.0f};
    const float position[3] = {0.0f, 0.0f, 5.0f}, unturned[4] = {0, 0, 0, 1},
                scale[3] = {3.0f, 3.0f, 3.0f};
    const uint32_t user[2] = {};
    int key = 0;
    manager_.Play(loaded, 0, 0, L3DEffectEndless, position, unturned, scale, user, &key, target,
                  nullptr, nullptr);
    const auto place = [](const L3D_EFFECT_WORKPART& part) {
        LVec p;
        LMat::TransformCoord({0.0f, 0.0f, 0.0f}, part.world, p);
        return Floats{p.x, p.y, p.z};
    };
    manager_.Task();
    const L3D_EFFECT_WORKROOT& instance = *manager_.active;
    const L3D_EFFECT_WORKPART& root = instance.rootPart;
    ASSERT_NE(instance.children, nullptr);
    ASSERT_NE(instance.children->next, nullptr);
    const L3D_EFFECT_WORKPART& hanging = *instance.children->next;
    const L3D_EFFECT_WORKPART& kept = *instance.children;
    // Root: its own scale 2 and position (1, 2, 3), then the placement (scale 3, at z 5), then
    // the target (x 10).
    EXPECT_EQ(root.local.m[0][0], 2.0f);
    EXPECT_EQ(root.local.m[3][1], 2.0f);
    expectNear(place(root), {3.0f + 10.0f, 6.0f, 9.0f + 5.0f});
    expectNear(place(hanging), {13.0f, 6.0f + 6.0f, 14.0f});  // y 1 scaled by 2 × 3
    expectNear(place(kept), {10.0f, 3.0f, 5.0f});             // y 1 on the placement only

    // The target moves: the following root and the hanging part go along; the other part keeps
    // the parent of its first step.
    target[0] = 20.0f;
    manager_.Task();
    expectNear(place(root), {23.0f, 6.0f, 14.0f});
    expectNear(place(hanging), {23.0f, 12.0f, 14.0f});
    expectNear(place(kept), {10.0f, 3.0f, 5.0f});
}

TEST_F(EffectAnimation, BlendSeenMarksTheOrderDependentBlendsOfSteppedParts) {
    for (uint32_t blend = 0; blend < kImageDefs; ++blend) {
        SCOPED_TRACE(blend);
        play(loadRoot({held(0, static_cast<int32_t>(blend)), end(2)}));
        manager_.Task();
        const bool ordered = blend == 0 || blend == 2 || blend == 3 || blend == 4 || blend == 5 ||
                             blend == 9 || blend == 10;
        EXPECT_EQ(manager_.blendSeen, ordered ? L3DEffectBlendSeenOrdered : 0u);
        manager_.StopAll();
    }
    // Cleared by the next task; a part without an image sets nothing.
    play(loadRoot({event(0, 13, {F(1), F(1), F(1)}), end(2)}));
    manager_.blendSeen = L3DEffectBlendSeenOrdered;
    manager_.Task();
    EXPECT_EQ(manager_.blendSeen, 0u);
}

}  // namespace
}  // namespace tessera::test

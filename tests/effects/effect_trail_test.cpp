// Trails in the part step: kept only for ribbon parts, committed at their interval and
// provisional in between, aged out from the oldest, up to eight samples on arcs for a long
// move, at most 64, and only ageing once a trail point is gone.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "tests/effects/timeline_fixture.h"

namespace tessera::test {
namespace {

using tools::writers::EffectEvent;
using Counts = std::vector<std::pair<uint32_t, uint32_t>>;  // committed, provisional

EffectEvent image(int32_t time, int32_t model) { return event(time, 3, {I(0), I(model), I(0)}); }
EffectEvent trail(int32_t time, int32_t life, int32_t interval, float segment = 0.0f) {
    return event(time, 39, {I(life), I(interval), F(segment)});
}
EffectEvent end(int32_t time) { return event(time, 0); }

class EffectTrail : public EffectTimeline {
protected:
    L3D_EFFECT_WORKROOT* playTrail(std::vector<EffectEvent> events, bool bothPoints = true) {
        return play(loadRoot(std::move(events)), &key_, a_, bothPoints ? b_ : nullptr);
    }
    const L3D_EFFECT_TRACKER& tracker() const { return *manager_.active->rootPart.trail; }
    Counts counts(int tasks) {
        Counts out;
        for (const auto& parts : run(tasks))
            out.emplace_back(parts.at(0).samples, parts.at(0).provisional);
        return out;
    }
    std::vector<float> lives() const {
        std::vector<float> out;
        for (uint32_t i = 0; i < tracker().sampleCount; ++i)
            out.push_back(tracker().samples[i].life);
        return out;
    }

    int key_ = 0;
    float a_[3] = {0.0f, 0.0f, 0.0f};
    float b_[3] = {10.0f, 0.0f, 0.0f};
};

TEST_F(EffectTrail, OnlyARibbonPartKeepsSamples) {
    struct Case {
        const char* what;
        std::vector<EffectEvent> events;
        Counts counts;
    };
    const Case cases[] = {
        {"no image", {trail(0, 10, 1), end(90)}, {{0, 0}, {0, 0}, {0, 0}}},
        {"a quad", {image(0, -1), trail(0, 10, 1), end(90)}, {{0, 0}, {0, 0}, {0, 0}}},
        {"a ribbon", {image(0, -5), trail(0, 10, 1), end(90)}, {{1, 0}, {2, 0}, {3, 0}}},
        {"a ribbon that turns into a quad",
         {image(0, -5), trail(0, 10, 1), image(2, -1), end(90)},
         {{1, 0}, {2, 0}, {0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        playTrail(c.events);
        EXPECT_EQ(counts(3), c.counts);
        manager_.StopAll();
    }
}

TEST_F(EffectTrail, SamplesAreCommittedAtTheIntervalAndProvisionalInBetween) {
    playTrail({image(0, -5), trail(0, 100, 3), end(90)});
    Counts seen;
    for (int step = 0; step < 5; ++step) {
        a_[1] = static_cast<float>(step);
        seen.push_back(counts(1).at(0));
        // The newest sample, committed or not, holds the points of this step.
        const L3D_EFFECT_TRACKER& t = tracker();
        const L3D_EFFECT_TRACKER::Sample& newest =
            t.samples[t.sampleCount + t.provisionalCount - 1];
        EXPECT_EQ(newest.a[1], a_[1]);
        EXPECT_EQ(newest.b[0], 10.0f);
        EXPECT_EQ(newest.life, 100.0f);
    }
    EXPECT_EQ(seen, (Counts{{1, 0}, {1, 1}, {1, 1}, {2, 0}, {2, 1}}));
    EXPECT_EQ(tracker().samples[1].a[1], 3.0f);  // committed at step 3
}

TEST_F(EffectTrail, SamplesAgeAndExpireFromTheOldest) {
    playTrail({image(0, -5), trail(0, 2, 1), end(90)});
    counts(2);
    EXPECT_EQ(lives(), (std::vector<float>{1.0f, 2.0f}));
    counts(3);
    EXPECT_EQ(lives(), (std::vector<float>{0.0f, 1.0f, 2.0f}));
    EXPECT_FLOAT_EQ(tracker().inverseLife, 0.5f);
}

TEST_F(EffectTrail, ALongMoveAddsUpToEightSamplesOnArcs) {
    // B turns about A (which stays) with radius 10; segments of length 1.
    playTrail({image(0, -5), trail(0, 100, 1, 1.0f), end(90)});
    counts(1);
    struct Move {
        const char* what;
        float b[3];
        uint32_t added;
    };
    const Move moves[] = {
        {"shorter than a segment", {10.0f, 0.5f, 0.0f}, 1},
        {"2.5 segments", {10.0f, 3.0f, 0.0f}, 3},
        {"7.9 segments", {10.0f, 10.9f, 0.0f}, 8},
        {"far", {10.0f, 100.0f, 0.0f}, 8},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(m.what);
        const uint32_t before = tracker().sampleCount;
        for (int i = 0; i < 3; ++i) b_[i] = m.b[i];
        counts(1);
        EXPECT_EQ(tracker().sampleCount - before, m.added);
    }

    // A quarter turn: the seven samples between lie on the circle, a step of 90 / 8 degrees
    // apart, and their lives run from the last sample's to the full life.
    b_[0] = 10.0f;
    b_[1] = 0.0f;
    counts(1);
    const uint32_t before = tracker().sampleCount;
    const float lastLife = tracker().samples[before - 1].life - 1.0f;  // as aged in the step
    b_[0] = 0.0f;
    b_[1] = 10.0f;
    counts(1);
    ASSERT_EQ(tracker().sampleCount, before + 8);
    for (uint32_t k = 1; k <= 8; ++k) {
        SCOPED_TRACE(k);
        const L3D_EFFECT_TRACKER::Sample& s = tracker().samples[before - 1 + k];
        const float angle = static_cast<float>(k) * static_cast<float>(M_PI) / 16.0f;
        EXPECT_NEAR(s.b[0], 10.0f * std::cos(angle), 1e-4f);
        EXPECT_NEAR(s.b[1], 10.0f * std::sin(angle), 1e-4f);
        EXPECT_EQ(s.a[0], 0.0f);
        EXPECT_EQ(s.a[1], 0.0f);
        EXPECT_NEAR(s.life, lastLife + static_cast<float>(k) * (100.0f - lastLife) / 8.0f, 1e-4f);
    }
}

TEST_F(EffectTrail, AFullTrailDropsItsOldestSamples) {
    playTrail({image(0, -5), trail(0, 1000, 1, 1.0f), end(900)});
    counts(70);
    EXPECT_EQ(tracker().sampleCount, L3D_EFFECT_TRACKER::SampleCapacity);
    EXPECT_EQ(tracker().samples[0].life, 1000.0f - 63.0f);
    // Eight new samples on a full trail: 56 old ones stay.
    b_[1] = 100.0f;
    counts(1);
    EXPECT_EQ(tracker().sampleCount, L3D_EFFECT_TRACKER::SampleCapacity);
    EXPECT_EQ(tracker().samples[0].life, 1000.0f - 63.0f + 7.0f);
    EXPECT_EQ(tracker().samples[63].b[1], 100.0f);
}

TEST_F(EffectTrail, WithoutBothTrailPointsATrailOnlyAges) {
    // After a stop by key the points are gone: no new sample, the old ones fade out.
    playTrail({image(0, -5), trail(0, 3, 1), end(90)});
    counts(3);
    manager_.StopByKey(&key_);
    EXPECT_EQ(counts(4), (Counts{{3, 0}, {2, 0}, {1, 0}, {0, 0}}));

    // Played with one point only: nothing to sample.
    manager_.StopAll();
    playTrail({image(0, -5), trail(0, 3, 1), end(90)}, false);
    EXPECT_EQ(counts(2), (Counts{{0, 0}, {0, 0}}));
}

}  // namespace
}  // namespace tessera::test

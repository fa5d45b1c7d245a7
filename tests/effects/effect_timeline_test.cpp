// The effect task's control flow, frame by frame: when parts end, time jumps (with the cap on
// jumps that never leave their frame), spawning (with the cap on parts that spawn themselves at
// once), holds, lifetimes and start delays, and the fatal errors of a step.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/effects/timeline_fixture.h"

namespace tessera::test {
namespace {

using Frames = std::vector<std::vector<int32_t>>;

// Held image 0 (blend 0) as a quad.
tools::writers::EffectEvent held(int32_t time, int32_t priority = 0) {
    return event(time, 3, {I(0), I(-1), I(priority)});
}
tools::writers::EffectEvent end(int32_t time) { return event(time, 0); }
tools::writers::EffectEvent spawn(int32_t time, int32_t part) { return event(time, 2, {I(part)}); }
tools::writers::EffectEvent jump(int32_t time, int32_t target, int32_t who) {
    return event(time, 1, {I(target), I(who)});
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

using EffectTimelineFlow = EffectTimeline;

TEST_F(EffectTimelineFlow, APartWhoseEventsRunOutEndsInThatStep) {
    // The root part's only event is at 0: the instance ends in its first task.
    play(loadRoot({event(0, 13, {F(1), F(2), F(3)})}));
    EXPECT_EQ(frames(1), Frames{{}});

    // A child whose only event is at 0 runs it and ends in its first step; the instance lives
    // on while its root part has an event ahead, and ends at that event.
    play(loadRoot({spawn(0, 0), end(3)}, {{event(0, 13, {F(1), F(2), F(3)})}}));
    EXPECT_EQ(frames(4), (Frames{{0}, {1}, {2}, {}}));
    EXPECT_EQ(manager_.parts.freeCount(), L3DEffectManager::PartBlock);
}

TEST_F(EffectTimelineFlow, KindZeroEndsThePartBeforeTheRestOfItsFrame) {
    // Part 0 would spawn part 1 at frame 2, after its end at the same frame.
    play(loadRoot({spawn(0, 0), end(9)},
                  {{held(0), end(2), spawn(2, 1), end(8)}, {held(0), end(9)}}));
    EXPECT_EQ(frames(4), (Frames{{0, 0}, {1, 1}, {2}, {3}}));
}

TEST_F(EffectTimelineFlow, ASelfJumpBackLoopsAndRerunsTheEventsOfItsTarget) {
    // Jumping from 3 back to 0 spawns part 0 again each time round.
    play(loadRoot({spawn(0, 0), jump(3, 0, -1), end(9)}, {{end(30)}}));
    EXPECT_EQ(
        frames(8),
        (Frames{
            {0, 0}, {1, 1}, {2, 2}, {0, 0, 3}, {1, 1, 4}, {2, 2, 5}, {0, 0, 3, 6}, {1, 1, 4, 7}}));
}

TEST_F(EffectTimelineFlow, JumpsForwardInOneStepAreNotCapped) {
    play(loadRoot({jump(0, 1, -1), jump(1, 2, -1), jump(2, 3, -1), held(3), end(9)}));
    const auto states = run(1);
    ASSERT_EQ(states[0].size(), 1u);
    EXPECT_EQ(states[0][0].frame, 3);
    EXPECT_EQ(states[0][0].imageMode, 1u);
    EXPECT_EQ(log_.text().find("time jumps"), std::string::npos);
}

TEST_F(EffectTimelineFlow, ASelfJumpToItsOwnTimeEndsTheStepAfterEventCountPlusOneJumps) {
    // Four events: at most five jumps in one step, then the step ends with one log line and
    // the part goes on being animated.
    play(loadRoot({held(0), event(0, 14, {F(1), F(0), F(0)}), jump(2, 2, -1), end(9)}));
    const auto states = run(5);
    std::vector<int32_t> frames;
    for (const auto& parts : states) frames.push_back(parts.at(0).frame);
    EXPECT_EQ(frames, (std::vector<int32_t>{0, 1, 2, 2, 2}));
    EXPECT_EQ(states[4][0].position[0], 5.0f);
    EXPECT_EQ(occurrences(log_.text(), "5 time jumps in one step at frame 2"), 3u);

    // Held at the last frame there is, the next step wraps round.
    constexpr int32_t kLast = std::numeric_limits<int32_t>::max();
    play(loadRoot({jump(0, kLast, -1), jump(kLast, kLast, -1)}));
    EXPECT_EQ(this->frames(2), (Frames{{kLast}, {std::numeric_limits<int32_t>::min()}}));
}

TEST_F(EffectTimelineFlow, AChildJumpReachesEveryChildOfThatRecordAtItsNextStep) {
    // Two children of record 0 jump back to 0 at the root's frame 2; record 1 and the root part
    // go on.
    play(loadRoot({spawn(0, 0), spawn(0, 0), spawn(0, 1), jump(2, 0, 0), end(20)},
                  {{end(30)}, {end(30)}}));
    const auto states = run(4);
    Frames frames;
    std::vector<int> records;
    for (const auto& parts : states) {
        frames.emplace_back();
        for (const PartState& part : parts) frames.back().push_back(part.frame);
    }
    for (const PartState& part : states[3]) records.push_back(part.record);
    EXPECT_EQ(records, (std::vector<int>{-1, 1, 0, 0}));
    EXPECT_EQ(frames, (Frames{{0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 0, 0}, {3, 3, 1, 1}}));

    // A child's jump of the root part (−2) takes effect at the root's next step.
    play(loadRoot({spawn(0, 0), end(9)}, {{jump(1, 5, -2), end(30)}}));
    EXPECT_EQ(this->frames(4), (Frames{{0, 0}, {1, 1}, {5, 2}, {6, 3}}));
}

TEST_F(EffectTimelineFlow, APartSpawnedByAChildStepsAtOnceOneSpawnedByTheRootInTheChildLoop) {
    play(loadRoot({spawn(0, 0), end(9)}, {{spawn(2, 1), end(9)}, {end(9)}}));
    const auto states = run(4);
    Frames frames;
    for (const auto& parts : states) {
        frames.emplace_back();
        for (const PartState& part : parts) frames.back().push_back(part.frame);
    }
    // Newest first: part 1 (spawned at part 0's frame 2) has already made its first step.
    EXPECT_EQ(frames, (Frames{{0, 0}, {1, 1}, {2, 0, 2}, {3, 1, 3}}));
    EXPECT_EQ(states[2][1].record, 1);
}

TEST_F(EffectTimelineFlow, PartsThatSpawnTheirOwnRecordAtOnceWaitForTheNextFrame) {
    // Part 0 spawns part 0 in its first step: nesting stops after one level (the root has one
    // part) and the last spawned part waits, so every task ends.
    play(loadRoot({spawn(0, 0), end(90)}, {{spawn(0, 0), end(90)}}));
    const auto states = run(3);
    Frames frames;
    for (const auto& parts : states) {
        frames.emplace_back();
        for (const PartState& part : parts) frames.back().push_back(part.frame);
    }
    EXPECT_EQ(frames[0], (std::vector<int32_t>{0, -1, 0, 0}));
    EXPECT_EQ(frames[1], (std::vector<int32_t>{1, -1, 0, 0, 1, 1}));
    EXPECT_EQ(occurrences(log_.text(), "spawn each other without end"), 3u);
}

TEST_F(EffectTimelineFlow, HoldFlagsStopEverythingWhileStillAndClearWhenTheCounterRunsOut) {
    tools::writers::EffectData data = oneRoot({held(0), event(0, 14, {F(1), F(0), F(0)}), end(30)});
    data.roots[0].flags = L3DEffectRootFollow;
    const L3D_EFFECT_DATA* loaded = load(data);
    float target[13] = {4.0f, 0.0f, 0.0f, 0, 0, 0, 0, 0, 0, 0.0f, 0.0f, 0.0f, 1.0f};
    const float origin[3] = {}, unturned[4] = {0, 0, 0, 1}, unscaled[3] = {1, 1, 1};
    const uint32_t user[2] = {};
    int key = 0;
    manager_.Play(loaded, 0, 0, 10, origin, unturned, unscaled, user, &key, target, nullptr,
                  nullptr);
    L3D_EFFECT_WORKROOT* instance = manager_.active;
    manager_.Task();

    struct Case {
        const char* what;
        uint32_t flags;
        std::vector<int32_t> frames;      // after each task
        std::vector<uint32_t> lifetimes;  // after each task
        float followed;                   // the instance's x after the last task
    };
    const Case cases[] = {
        // Still: no step, no lifetime count, no following while the counter runs.
        {"still and hidden", L3DEffectHoldStill | L3DEffectHoldHidden, {0, 0, 1}, {9, 9, 8}, 7},
        // Hidden only: the instance goes on; Draw leaves it out.
        {"hidden", L3DEffectHoldHidden, {2, 3, 4}, {7, 6, 5}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        instance->holdFlags = c.flags;
        instance->holdCounter = 2;
        target[0] += 1.0f;
        std::vector<int32_t> frames;
        std::vector<uint32_t> lifetimes;
        std::vector<uint32_t> flags;
        for (int f = 0; f < 3; ++f) {
            if (f == 2) target[0] = 7.0f;
            manager_.Task();
            frames.push_back(instance->rootPart.frame);
            lifetimes.push_back(instance->lifetime);
            flags.push_back(instance->holdFlags);
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(lifetimes, c.lifetimes);
        EXPECT_EQ(flags, (std::vector<uint32_t>{c.flags, c.flags, 0}));
        EXPECT_EQ(instance->position[0], c.followed);
        EXPECT_EQ(instance->holdCounter, 0u);
    }
    // Flags without a count are cleared at the next task, which goes on as usual.
    instance->holdFlags = L3DEffectHoldStill;
    manager_.Task();
    EXPECT_EQ(instance->holdFlags, 0u);
    EXPECT_EQ(instance->rootPart.frame, 5);
}

TEST_F(EffectTimelineFlow, LifetimeAndStartDelayCountBeforeTheRootStep) {
    const L3D_EFFECT_DATA* data = loadRoot({held(0), end(30)});
    struct Case {
        const char* what;
        uint32_t lifetime;
        uint32_t delay;
        Frames frames;
    };
    const Case cases[] = {
        {"lifetime 0 frees at the next task", 0, 0, {{}}},
        {"lifetime 2", 2, 0, {{0}, {1}, {}}},
        {"delay 2", L3DEffectEndless, 2, {{-1}, {-1}, {0}, {1}}},
        {"the lifetime counts during the delay", 3, 2, {{-1}, {-1}, {0}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        play(data, nullptr, nullptr, nullptr, c.lifetime, c.delay);
        EXPECT_EQ(frames(static_cast<int>(c.frames.size())), c.frames);
        manager_.StopAll();
    }
}

TEST_F(EffectTimelineFlow, BadPartNumbersImagesAndKindsAreFatal) {
    struct Case {
        const char* what;
        std::vector<tools::writers::EffectEvent> events;
        int tasks;
        std::string message;
    };
    const Case cases[] = {
        {"jump of part −3", {jump(0, 0, -3), end(9)}, 1, "パーツ番号が範囲外(-3/1)"},
        {"jump of a part past the count", {jump(0, 0, 1), end(9)}, 1, "パーツ番号が範囲外(1/1)"},
        {"spawn of part −1", {spawn(0, -1), end(9)}, 1, "パーツ番号が範囲外(-1/1)"},
        {"spawn past the count", {spawn(0, 1), end(9)}, 1, "パーツ番号が範囲外(1/1)"},
        {"a colour without an image",
         {event(0, 8, {F(1), F(1), F(1), F(1)}), end(9)},
         1,
         "img番号が不正(-1/12)"},
        {"a sequence that runs past the table",
         {event(0, 4, {I(11), I(10), I(1), I(-1), I(0)}), end(9)},
         2,
         "img番号が不正(12/12)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tools::writers::EffectData data = oneRoot(c.events);
        data.roots[0].parts.push_back({0, {end(9)}});
        play(load(data));
        expectFatal(
            [&] {
                for (int t = 0; t < c.tasks; ++t) manager_.Task();
            },
            "[L3DEffectManager::_TaskPart] " + c.message);
        manager_.StopAll();
    }

    // Loading refuses unknown kinds; one that reaches a step anyway is fatal there.
    const L3D_EFFECT_DATA* data = loadRoot({held(0), end(9)});
    const_cast<L3D_EFFECT_EVENT&>(data->roots[0].rootPart.events[1]).kind = 45;
    play(data);
    expectFatal(
        [&] {
            for (int t = 0; t < 10; ++t) manager_.Task();
        },
        "[L3DEffectManager::_TaskPart] 実装されていないイベント(45)");
}

}  // namespace
}  // namespace tessera::test

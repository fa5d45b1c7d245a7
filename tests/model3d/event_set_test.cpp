// Events at run time: when they fire (frame 0, go-to-frame restarts, jumps that would never
// end), their order within a frame, sound alternatives and groups, texture remaps, and the
// scroll and wave steps of texture animations.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model3d/L3DEventInstance.h"
#include "tests/model3d/object_fixture.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class EventSetTest : public ObjectTest {
protected:
    // The figure with these events on "walk" (names in walk's pool), created and playing walk
    // from its start.
    L3DObjectInstance& playWalk(const std::vector<ModelEvent>& events, ModelNames names = {}) {
        ModelFile model = figureModel();
        model.anims[0].events = events;
        model.anims[0].pool = names.text;
        instance_ = create(model);
        walk_ = instance_->CreateAnim("walk");
        instance_->SetCurrentAnim(walk_, 1);
        return *instance_;
    }
    // A texture animation of the torso's piece.
    static ModelEvent texAnim(ModelNames& names, uint32_t frame) {
        ModelEvent event = modelEvent(L3DEventTexAnim, frame);
        event.name1 = names("torso");
        event.name2 = names("mat");
        return event;
    }
    L3D_PARTINST_MAT& torsoPiece() { return part(*instance_, 0).piece(0); }

    void TearDown() override {
        walk_.Reset();
        instance_.Reset();
        ObjectTest::TearDown();
    }

    mirel::rcptr<L3DObjectInstance> instance_;
    mirel::rcptr<L3DAnimInstance> walk_;
};

TEST_F(EventSetTest, FrameZeroFiresFirstAndGoToRestartsInTheSameStep) {
    // Each texture animation that fires adds a running entry: the count shows what fired. The
    // go-to at 30 sorts after the texture animation of frame 30 (file order) and sends the set
    // to 10, whose event fires in the same step. A cycle shows the 21 frames 10 to 30, where
    // 30 and 10 share the step of the jump: the go-to fires every 20 steps.
    ModelNames names;
    ModelEvent goTo = modelEvent(L3DEventGoFrame, 30);
    goTo.word = 10;
    const std::vector<ModelEvent> events{texAnim(names, 0), texAnim(names, 30), texAnim(names, 10),
                                         goTo};
    playWalk(events, names);
    ASSERT_EQ(walk_->events.count, 4u);
    EXPECT_EQ(walk_->events.events[2].frame, 30);
    EXPECT_EQ(walk_->events.events[2].kind, static_cast<uint32_t>(L3DEventTexAnim));
    EXPECT_EQ(walk_->events.events[3].kind, static_cast<uint32_t>(L3DEventGoFrame));

    std::vector<std::pair<uint32_t, uint32_t>> fired;  // step, entries added
    for (uint32_t step = 1; step <= 80; ++step) {
        const uint32_t before = instance_->residentEvents.Count();
        instance_->ForwardAnimFrame();
        const uint32_t added = instance_->residentEvents.Count() - before;
        if (added) fired.push_back({step, added});
    }
    const std::vector<std::pair<uint32_t, uint32_t>> expected{
        {1, 1}, {11, 1}, {31, 2}, {51, 2}, {71, 2}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(walk_->events.frame, 10 + (80 - 71));
}

TEST_F(EventSetTest, AGoToItsOwnFrameStopsAfterCountPlusOneJumps) {
    ModelNames names;
    ModelEvent goTo = modelEvent(L3DEventGoFrame, 5);
    goTo.word = 5;
    const std::vector<ModelEvent> events{texAnim(names, 5), goTo};
    playWalk(events, names);
    for (int step = 0; step < 10; ++step) instance_->ForwardAnimFrame();
    // Frame 5 runs once and then once per jump (three allowed with two events); the set goes
    // on past it afterwards.
    EXPECT_EQ(instance_->residentEvents.Count(), 4u);
    EXPECT_EQ(walk_->events.frame, 9);
    const std::string text = log_.text();
    const std::string line = "go-to-frame events jump back within one frame: stopped at frame 5";
    const size_t at = text.find(line);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.find(line, at + 1), std::string::npos) << "logged once";
}

TEST_F(EventSetTest, EventsOfOneFrameKeepTheirFileOrder) {
    // Forty collision switches on frame 3 between forty texture animations of frame 2: the
    // sort moves every switch, and the last switch in the file decides.
    for (const uint32_t last : {1u, 2u}) {
        SCOPED_TRACE(last);
        ModelNames names;
        const ModelRef guard = names("guard");
        std::vector<ModelEvent> events;
        for (uint32_t i = 0; i < 40; ++i) {
            ModelEvent event = modelEvent(L3DEventSetColl, 3);
            event.name1 = guard;
            event.word = (i % 2 == 0) == (last == 1) ? 2 : 1;
            events.push_back(event);
            events.push_back(texAnim(names, 2));
        }
        playWalk(events, names);
        for (int step = 0; step < 5; ++step) instance_->ForwardAnimFrame();
        bool enabled = false;
        for (auto it = instance_->collGroups._GetFirstNode();
             it != instance_->collGroups._GetEndNode(); it = it.Next())
            enabled = it.GetRef()->enabled();
        EXPECT_EQ(enabled, last == 1);
        for (uint32_t i = 0; i < 40; ++i) {
            const auto& record =
                static_cast<const L3D_OBJDATA_EVENT_SETCOLL&>(*walk_->events.events[40 + i].event);
            EXPECT_EQ(record.mode, events[2 * i].word) << i;
        }
    }
}

TEST_F(EventSetTest, SoundAlternativesFollowTheRenderersGenerator) {
    mirel::LSeManager::_GROUPINFO* group = loadSounds(8);
    ModelEvent sound = modelEvent(L3DEventSe, 0);
    sound.alternatives = {4, 6, 7};
    playWalk({sound});
    L3D_SEGROUPLIST groups;
    groups.count = 1;
    groups.groups.Allocate(1);
    groups.groups[0] = group;
    instance_->SetSeGroups(groups);
    L3DRandom::Seed(99, renderer_->random);
    L3DRandom expected = renderer_->random;
    std::vector<uint32_t> played, predicted;
    for (int i = 0; i < 12; ++i) {
        renderer_->_StopVoices();
        instance_->SetCurrentAnim(walk_, 1);
        instance_->ForwardAnimFrame();
        for (uint32_t n : playingSounds(group)) played.push_back(n);
        predicted.push_back(sound.alternatives[expected.GetRange(2, 0)]);
    }
    EXPECT_EQ(played, predicted);
    EXPECT_NE(std::count(predicted.begin(), predicted.end(), predicted[0]), 12);
    renderer_->_StopVoices();
    renderer_->seManager->UnloadGroup(group);
}

TEST_F(EventSetTest, AGroupIndexOutsideTheInstancesGroupsPlaysWithNoGroup) {
    mirel::LSeManager::_GROUPINFO* group = loadSounds(2);
    for (const uint32_t index : {0u, 1u, 7u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(index);
        renderer_->_StopVoices();
        ModelEvent sound = modelEvent(L3DEventSe, 0);
        sound.groupIndex = index;
        sound.soundNumber = 1;
        playWalk({sound});
        L3D_SEGROUPLIST groups;
        groups.count = 1;
        groups.groups.Allocate(1);
        groups.groups[0] = group;
        instance_->SetSeGroups(groups);
        instance_->ForwardAnimFrame();
        EXPECT_EQ(playingSounds(group),
                  index == 0 ? std::vector<uint32_t>{1} : std::vector<uint32_t>{});
    }
    renderer_->_StopVoices();
    instance_.Reset();
    renderer_->seManager->UnloadGroup(group);
}

TEST_F(EventSetTest, TextureSetsRemapCoordinatesAndDropEventsWithoutTheirAreas) {
    ModelNames names;
    ModelFile model = figureModel();
    ModelTexArea from{names("from"), names("torso"), names("mat"), {}, 0.0f, 0.0f, 1.0f, 1.0f};
    ModelTexArea to{names("to"), names("torso"), names("mat"), {}, 0.5f, 0.25f, 0.5f, 2.0f};
    model.texAreas = {from, to};
    model.pool = names.text;
    ModelNames walkNames;
    ModelEvent set = modelEvent(L3DEventTexSet, 1);
    set.name1 = walkNames("FROM");  // areas are named without regard to case
    set.name2 = walkNames("to");
    ModelEvent missing = modelEvent(L3DEventTexSet, 1);
    missing.name1 = walkNames("from");
    missing.name2 = walkNames("nowhere");
    model.anims[0].events = {set, missing};
    model.anims[0].pool = walkNames.text;
    instance_ = create(model);
    walk_ = instance_->CreateAnim("walk");
    EXPECT_EQ(walk_->events.count, 1u);
    instance_->SetCurrentAnim(walk_, 1);
    instance_->ForwardAnimFrame();
    EXPECT_EQ(torsoPiece().vertices[0].u, 0.0f);
    instance_->ForwardAnimFrame();
    // u' = (u - 0) * 0.5 + 0.5 and v' = (v - 0) * 2 + 0.25 from the mesh's (0, 0).
    EXPECT_EQ(torsoPiece().vertices[0].u, 0.5f);
    EXPECT_EQ(torsoPiece().vertices[0].v, 0.25f);
    EXPECT_TRUE(torsoPiece().flags & L3DPieceTexCoordsChanged);
}

// Scroll: the offset of the torso's u (its mesh u is 0 everywhere) and v per step.
TEST_F(EventSetTest, ScrollsRunTheirPeriodAndSpeedZeroStaysStill) {
    struct Case {
        float speed, limit;
        std::vector<float> offsets;
    };
    const Case cases[] = {
        {0.25f, 1.0f, {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.0f, 0.25f}},
        {-0.5f, -1.0f, {0.0f, -0.5f, -1.0f, 0.0f, -0.5f}},
        {0.0f, 1.0f, {0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speed);
        ModelNames names;
        ModelEvent scroll = texAnim(names, 0);
        scroll.texAnimBytes = {0, 0, 1};
        scroll.texAnimFloats = {0, 0, 0, 0, c.speed, 0.0f, c.limit, 1.0f};  // v: speed 0
        playWalk({scroll}, names);
        for (size_t step = 0; step < c.offsets.size(); ++step) {
            instance_->ForwardAnimFrame();
            EXPECT_FLOAT_EQ(torsoPiece().vertices[0].u, c.offsets[step]) << "step " << step;
            EXPECT_EQ(torsoPiece().vertices[0].v, 0.0f);
        }
        EXPECT_TRUE(torsoPiece().flags & L3D_PARTINST_MAT::FlagCpuVertices);
    }
}

// Wave: u sways with the sine and v with the cosine of one turn per period, steps 0 to P - 1;
// periods of 1 or less do not sway.
TEST_F(EventSetTest, WavesFollowTheSineTableAndShortPeriodsStayStill) {
    constexpr float kPi = 3.14159265358979f;
    for (const uint32_t period : {5u, 3u, 1u, 0u}) {
        SCOPED_TRACE(period);
        ModelNames names;
        ModelEvent wave = texAnim(names, 0);
        wave.texAnimBytes = {1, 0, 0};
        wave.texAnimFloats = {2.0f, 3.0f, 0, 0, 0, 0, 0, 0};
        wave.texAnimPeriods = {period, period};
        playWalk({wave}, names);
        for (uint32_t step = 0; step < 2 * period + 2; ++step) {
            instance_->ForwardAnimFrame();
            float u = 0.0f, v = 0.0f;
            if (period > 1) {
                const float turn =
                    2.0f * kPi * static_cast<float>(step % period) / static_cast<float>(period - 1);
                u = 2.0f * std::sin(turn);
                v = 3.0f * std::cos(turn);
            }
            EXPECT_NEAR(torsoPiece().vertices[0].u, u, 1e-3f) << "step " << step;
            EXPECT_NEAR(torsoPiece().vertices[0].v, v, 1e-3f) << "step " << step;
        }
    }
}

}  // namespace
}  // namespace tessera::test

// Object instances: creation with one muted frame, restarts and switches without restart,
// animations by name, materials of animations, parts hung from bones, sound-effect groups,
// destruction while voices and effects play, and the renderer's list of instances.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/model3d/object_fixture.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class ObjectInstanceTest : public ObjectTest {
protected:
    void TearDown() override {
        walk_.Reset();
        idle_.Reset();
        instance_.Reset();
        ObjectTest::TearDown();
    }
    // The figure with an effect (root 0 of the directory's data) and a sound (effect 0 of
    // group 0) at frame 0, either in the model's own events or in walk's.
    ModelFile figureWithFrameZeroEvents(bool own) {
        ModelFile model = figureModel();
        std::vector<ModelEvent> events{modelEvent(L3DEventOwnEffect, 0), modelEvent(L3DEventSe, 0)};
        (own ? model.events : model.anims[0].events) = events;
        return model;
    }
    void create(const ModelFile& model) {
        instance_ = ObjectTest::create(model);
        walk_ = instance_->CreateAnim("walk");
        idle_ = instance_->CreateAnim("idle");
    }
    void giveGroup(mirel::LSeManager::_GROUPINFO* group) {
        L3D_SEGROUPLIST groups;
        groups.count = 1;
        groups.groups.Allocate(1);
        groups.groups[0] = group;
        instance_->SetSeGroups(groups);
    }
    void forward(uint32_t frames) {
        for (uint32_t i = 0; i < frames; ++i) instance_->ForwardAnimFrame();
    }
    static std::vector<float> rotation(const L3DAnimState& node) {
        return {node.block.rotation, node.block.rotation + 4};
    }

    mirel::rcptr<L3DObjectInstance> instance_;
    mirel::rcptr<L3DAnimInstance> walk_, idle_;
};

TEST_F(ObjectInstanceTest, CreationRunsTheOwnFrameZeroEventsButItsSounds) {
    writeEffects(1);
    mirel::LSeManager::_GROUPINFO* group = loadSounds(1);
    create(figureWithFrameZeroEvents(true));
    EXPECT_EQ(activeEffects(), 1u) << "the effect at frame 0 started";
    EXPECT_EQ(renderer_->seManager->_GetPlayingHead(), nullptr);
    EXPECT_EQ(instance_->status & L3DObjectInstance::StatusMuted, 0u);
    EXPECT_EQ(instance_->ownEvents.frame, 0);

    // A restart runs them again, now with the sound; a muted instance skips only the sound.
    giveGroup(group);
    instance_->SetCurrentAnim({}, 1);
    EXPECT_EQ(activeEffects(), 0u) << "the restart stopped the instance's effect";
    forward(1);
    EXPECT_EQ(activeEffects(), 1u);
    EXPECT_EQ(playingSounds(group), std::vector<uint32_t>{0});
    renderer_->_StopVoices();
    instance_->status |= L3DObjectInstance::StatusMuted;
    instance_->SetCurrentAnim({}, 1);
    forward(1);
    EXPECT_EQ(activeEffects(), 1u);
    EXPECT_TRUE(playingSounds(group).empty());
    instance_.Reset();
    renderer_->seManager->UnloadGroup(group);
}

TEST_F(ObjectInstanceTest, AnEmptyAnimationWithoutRestartIsARestart) {
    writeEffects(1);
    ModelFile model = figureWithFrameZeroEvents(false);
    ModelNames names;
    ModelEvent scroll = modelEvent(L3DEventTexAnim, 1);
    scroll.name1 = names("torso");
    scroll.name2 = names("mat");
    model.anims[0].events.push_back(scroll);
    model.anims[0].pool = names.text;
    create(model);
    instance_->SetCurrentAnim(walk_, 1);
    forward(5);
    ASSERT_EQ(activeEffects(), 1u);
    ASSERT_EQ(instance_->residentEvents.Count(), 1u);
    const std::vector<float> turned = rotation(arm(*instance_));

    instance_->SetCurrentAnim({}, 0);
    EXPECT_EQ(activeEffects(), 0u);
    EXPECT_EQ(instance_->residentEvents.Count(), 0u);
    EXPECT_EQ(arm(*instance_).motion, nullptr);
    forward(1);
    EXPECT_NE(rotation(arm(*instance_)), turned);
    EXPECT_EQ(rotation(arm(*instance_)), (std::vector<float>{0, 0, 0, 1})) << "the rest pose";
}

TEST_F(ObjectInstanceTest, TheSameAnimationWithoutRestartKeepsPosesAndRefiresFrameZero) {
    writeEffects(1, 0);  // effects that stay when stopped: the count shows every start
    create(figureWithFrameZeroEvents(false));
    const mirel::rcptr<L3DObjectInstance> reference = ObjectTest::create(figureModel());
    const mirel::rcptr<L3DAnimInstance> referenceWalk = reference->CreateAnim("walk");
    reference->SetCurrentAnim(referenceWalk, 1);
    instance_->SetCurrentAnim(walk_, 1);
    forward(4);
    for (int i = 0; i < 4; ++i) reference->ForwardAnimFrame();
    EXPECT_EQ(activeEffects(), 1u);

    instance_->SetCurrentAnim(walk_, 0);
    forward(2);
    for (int i = 0; i < 2; ++i) reference->ForwardAnimFrame();
    EXPECT_EQ(activeEffects(), 2u) << "frame 0 fired again";
    EXPECT_EQ(rotation(arm(*instance_)), rotation(arm(*reference))) << "the arm went on";
}

TEST_F(ObjectInstanceTest, AnimationsAreFoundWithoutRegardToCaseAndBuiltOnce) {
    create(figureModel());
    EXPECT_EQ(instance_->CreateAnim("WALK"), walk_);
    EXPECT_EQ(instance_->CreateAnim("Idle"), idle_);
    EXPECT_EQ(instance_->anims.Count(), 2u);
    EXPECT_THROW(instance_->CreateAnim("walk2"), LExceptGame);
    EXPECT_NE(log_.text().find("\"walk2\""), std::string::npos);
}

TEST_F(ObjectInstanceTest, ABoneTheNewAnimationDoesNotMoveKeepsItsMotion) {
    create(figureModel());
    instance_->SetCurrentAnim(walk_, 1);
    forward(3);
    L3D_ANIMINST_MOT* walking = arm(*instance_).motion;
    ASSERT_NE(walking, nullptr);

    instance_->SetCurrentAnim(idle_, 0);
    EXPECT_EQ(arm(*instance_).motion, walking);
    const std::vector<float> before = rotation(arm(*instance_));
    forward(1);
    EXPECT_NE(rotation(arm(*instance_)), before) << "the arm still turns";
    EXPECT_NE(part(*instance_, 0).root.motion, nullptr) << "idle moves the torso";

    instance_->SetCurrentAnim(idle_, 1);
    EXPECT_EQ(arm(*instance_).motion, nullptr) << "a restart unbinds it";
}

TEST_F(ObjectInstanceTest, OverrideMaterialsStayUntilAnEmptyAnimation) {
    ModelFile model = figureModel();
    ModelNames names;
    ModelShaderOption option;
    option.partName = names("torso");
    option.materialName = names("mat");
    option.flags = 1;  // blend type 1 reads the frame buffer
    model.anims[0].shaderOptions = {option};
    model.anims[0].pool = names.text;
    create(model);
    L3D_PARTINST_MAT& piece = part(*instance_, 0).piece(0);
    const L3D_ANIMINST_MAT* base = piece.material;
    EXPECT_EQ(instance_->materialFlags, 0u);

    instance_->SetCurrentAnim(walk_, 1);
    const L3D_ANIMINST_MAT* walking = piece.material;
    EXPECT_NE(walking, base);
    EXPECT_EQ(instance_->materialFlags, L3DObjectInstance::MaterialReadsFrameBuffer);
    instance_->SetCurrentAnim(idle_, 1);
    EXPECT_EQ(piece.material, walking) << "idle overrides nothing";
    instance_->SetCurrentAnim({}, 1);
    EXPECT_EQ(piece.material, base);
    EXPECT_EQ(instance_->materialFlags, 0u);
}

TEST_F(ObjectInstanceTest, APartOnABoneFollowsItInTheSameFrame) {
    create(figureModel());
    instance_->SetCurrentAnim(walk_, 1);
    L3DPartInstance& head = part(*instance_, 1);
    for (int frame = 0; frame < 6; ++frame) {
        forward(1);
        EXPECT_EQ(std::memcmp(&head.root.world, &arm(*instance_).world, sizeof(LMat)), 0)
            << "frame " << frame;
    }
    EXPECT_NE(rotation(arm(*instance_)), (std::vector<float>{0, 0, 0, 1}));
}

// Destruction stops what the instance's events started: the voices and effects follow its
// placement and node blocks, which go with it.
TEST_F(ObjectInstanceTest, ReleaseStopsTheVoicesAndEffectsOfItsEvents) {
    writeEffects(1);
    // A voice of a "slave" effect follows the block it was started with.
    mirel::LSeManager::_GROUPINFO* group = loadSounds(1, "3d slave");
    create(figureWithFrameZeroEvents(false));
    giveGroup(group);
    instance_->SetCurrentAnim(walk_, 1);
    forward(1);
    ASSERT_EQ(activeEffects(), 1u);
    ASSERT_EQ(playingSounds(group), std::vector<uint32_t>{0});
    ASSERT_NE(renderer_->seManager->_GetPlayingHead()->source, nullptr);

    walk_.Reset();
    idle_.Reset();
    instance_.Reset();
    EXPECT_EQ(activeEffects(), 0u);
    EXPECT_EQ(renderer_->seManager->_GetPlayingHead()->source, nullptr);
    renderer_->seManager->Update();  // reads no freed block
    renderer_->_StopVoices();
    renderer_->seManager->UnloadGroup(group);
}

TEST_F(ObjectInstanceTest, NewGroupsAreReferencedBeforeTheOldOnesGo) {
    mirel::LSeManager::_GROUPINFO* group = loadSounds(1);
    create(figureModel());
    giveGroup(group);
    renderer_->seManager->UnloadGroup(group);
    ASSERT_EQ(group->refCount, 1u) << "only the instance holds it";

    L3D_SEGROUPLIST twice;
    twice.count = 2;
    twice.groups.Allocate(2);
    twice.groups[0] = group;
    twice.groups[1] = group;
    instance_->SetSeGroups(twice);
    EXPECT_EQ(group->refCount, 2u);
    EXPECT_EQ(instance_->seGroups.count, 2u);
    EXPECT_EQ(instance_->seGroups.groups[1], group);
    instance_.Reset();  // the last references: the group goes
}

TEST_F(ObjectInstanceTest, TheRendererListsItsInstancesAndReleasesTheRest) {
    const ModelFile model = figureModel();
    mirel::rcptr<L3DObjectInstance> instances[3] = {
        ObjectTest::create(model), ObjectTest::create(model), ObjectTest::create(model)};
    instances[1].Reset();
    std::vector<L3DObjectInstance*> listed;
    for (auto it = renderer_->instances._GetFirstNode(); it != renderer_->instances._GetEndNode();
         it = it.Next())
        listed.push_back(it.GetRef().Get());
    EXPECT_EQ(listed, (std::vector<L3DObjectInstance*>{instances[0].Get(), instances[2].Get()}));

    renderer_->Release();
    EXPECT_EQ(renderer_->instances.Count(), 0u);
    for (const int i : {0, 2}) {
        EXPECT_FALSE(instances[i]->renderer);
        EXPECT_EQ(instances[i]->parts.Count(), 0u);
    }
}

}  // namespace
}  // namespace tessera::test

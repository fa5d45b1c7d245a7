// Animation instances: which parts and bones keep a motion record, override materials, and
// morph tracks that blend in equal steps, reach each key's shape on its frame and loop like
// the keys (or stop after the last shape).
#include <gtest/gtest.h>

#include <vector>

#include "model3d/L3DAnimInstance.h"
#include "tests/model3d/instance_fixture.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class AnimInstanceTest : public InstanceTest {
protected:
    // The limb with morph maps "open" (third corner to y 3) and "shut" (y -1), and one morph
    // group of these keys {frame, map number} on the part's motion.
    L3DObjectInstance& playMorph(std::vector<ModelMorphKey> keys, uint32_t endFrame,
                                 uint32_t loopFrame) {
        ModelFile model = limbModel();
        model.parts[0].morphMaps = {{"open", {{0, 2, {0, 3, 0, 0, 0, 1}}}},
                                    {"shut", {{0, 2, {0, -1, 0, 0, 0, 1}}}}};
        model.anims[0].endFrame = endFrame;
        model.anims[0].loopFrame = loopFrame;
        model.anims[0].motions[0].morphGroups = {{"face", std::move(keys)}};
        return play(model);
    }
    // The height of the morphed corner on each of the next `frames` frames.
    std::vector<float> heights(uint32_t frames) {
        std::vector<float> out;
        for (uint32_t i = 0; i < frames; ++i) {
            forward();
            out.push_back(part().piece(0).vertices[2].y);
        }
        return out;
    }
};

TEST_F(AnimInstanceTest, MorphKeyOnFrameFiveBlendsInEqualSteps) {
    playMorph({{5, 1}}, 30, 30);
    const std::vector<float> y = heights(8);
    EXPECT_EQ(y[0], 1.0f);  // unmorphed
    for (int frame = 1; frame <= 4; ++frame)
        EXPECT_NEAR(y[frame], 1.0f + 0.4f * static_cast<float>(frame), 1e-6) << frame;
    EXPECT_EQ(y[5], 3.0f);  // exactly the shape
    EXPECT_EQ(y[7], 3.0f);
    // The normal blends with the position; the other corners stay.
    EXPECT_EQ(part().piece(0).vertices[2].nz, 1.0f);
    EXPECT_EQ(part().piece(0).vertices[1].x, 1.0f);
    EXPECT_TRUE(part().piece(0).flags & L3DPiecePositionsMorphed);
}

TEST_F(AnimInstanceTest, MorphTracksLoopLikeTheKeysOrStopAtTheLastShape) {
    struct Case {
        std::vector<ModelMorphKey> keys;
        uint32_t end, loop;
        std::vector<std::pair<uint32_t, float>> expected;  // frame, height
    };
    const std::vector<Case> cases{
        // No key after the loop frame: the last shape stays.
        {{{0, 1}, {4, 2}}, 20, 10, {{0, 3.0f}, {2, 1.0f}, {4, -1.0f}, {25, -1.0f}, {60, -1.0f}}},
        // Keys 0, 4, 8 looping from 0 with end 8: the shapes repeat every 8 frames.
        {{{0, 1}, {4, 2}, {8, 1}},
         8,
         0,
         {{0, 3.0f}, {4, -1.0f}, {8, 3.0f}, {12, -1.0f}, {16, 3.0f}, {20, -1.0f}, {18, 1.0f}}},
        // A first key on frame 0 without a map is the unmorphed shape.
        {{{0, 0}, {2, 1}}, 10, 10, {{0, 1.0f}, {1, 2.0f}, {2, 3.0f}}},
        // Two keys on one frame: the second blends over 2^32 frames (the step divisor is
        // taken in float), never dividing by zero.
        {{{3, 1}, {3, 2}}, 30, 30, {{3, 3.0f}, {4, 3.0f}, {60, 3.0f}}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        playMorph(c.keys, c.end, c.loop);
        const std::vector<float> y = heights(61);
        for (const auto& [frame, height] : c.expected)
            EXPECT_NEAR(y[frame], height, 1e-5) << "frame " << frame;
    }
}

TEST_F(AnimInstanceTest, AnAnimationWithoutAPartGroupIsFatal) {
    ModelFile model = limbModel();
    model.anims[0].partGroup = 0;
    expectFatal([&] { play(model); },
                "[L3DAnimInstance::_Create] Animation \"anim\" names no part group");
}

TEST_F(AnimInstanceTest, MovedPiecesAreListedOnce) {
    ModelFile model = limbModel();
    ModelPart& body = model.parts[0];
    body.meshes = {ModelMesh{}, ModelMesh{}};
    body.runtimes = {ModelRuntimeMesh{}, ModelRuntimeMesh{}};
    body.runtimes[1].meshIndex = 1;
    body.morphMaps = {{"a", {{0, 1, {}}, {0, 2, {}}}}, {"b", {{0, 0, {}}, {1, 2, {}}}}};
    model.anims[0].motions[0].morphGroups = {{"g1", {{0, 1}, {3, 2}}}, {"g2", {{2, 1}}}};
    play(model);
    const L3D_ANIMINST_MOT& record = anim_->motions[0];
    ASSERT_EQ(record.trackCount, 2u);
    ASSERT_EQ(record.movedCount, 2u);
    EXPECT_EQ(record.moved[0], &part().piece(0));
    EXPECT_EQ(record.moved[1], &part().piece(1));
}

TEST_F(AnimInstanceTest, OnlyPartsAndBonesThatChangeKeepARecord) {
    // The part's motion has no keys; it keeps a record when it re-materials or morphs.
    ModelShaderOption option;
    option.partName = modelRef(0, 4);  // "body"
    option.flags = 2;
    struct Case {
        const char* what;
        bool materials, morphs, kept;
    };
    for (const Case c : {Case{"nothing", false, false, false}, Case{"materials", true, false, true},
                         Case{"morphs", false, true, true}}) {
        SCOPED_TRACE(c.what);
        ModelFile model = limbModel();
        model.parts[0].morphMaps = {{"open", {{0, 2, {0, 3, 0, 0, 0, 1}}}}};
        ModelAnim& anim = model.anims[0];
        anim.pool = "body";
        anim.motions[0].keys.clear();
        anim.motions[2].keys.clear();  // the lower bone: never a record
        if (c.materials) anim.shaderOptions = {option};
        if (c.morphs) anim.motions[0].morphGroups = {{"face", {{3, 1}}}};
        play(model);
        // Records in order: the part, then its bones in pre-order.
        std::vector<const L3DBoneInstance*> order;
        for (uint32_t i = 0; i < anim_->motionCount; ++i)
            order.push_back(anim_->motions[i].boneInstance.Get());
        std::vector<const L3DBoneInstance*> expected;
        if (c.kept) expected.push_back(nullptr);
        expected.push_back(&part().bones[0]);
        EXPECT_EQ(order, expected);
        if (c.materials) {
            EXPECT_EQ(anim_->motions[0].overrideCount, 1u);
            EXPECT_EQ(part().piece(0).material->option->blendType, 2u);
        }
        EXPECT_EQ(part().root.motion != nullptr, c.morphs);
    }
}

}  // namespace
}  // namespace tessera::test

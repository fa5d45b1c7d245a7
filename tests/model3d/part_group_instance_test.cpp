// Part-group instances: levels built breadth first from the members' parent parts and bones.
#include <gtest/gtest.h>

#include "model3d/L3DPartGroupInstance.h"
#include "tests/model3d/instance_fixture.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class PartGroupInstanceTest : public InstanceTest {
protected:
    // Three parts, the second with the bones "a" -> "b"; the part group as given.
    L3DPartGroupInstance& build(std::vector<ModelPartGroupMember> members) {
        ModelFile model = limbModel();
        ModelPart second = model.parts[0];
        second.name = "second";
        ModelPart third = model.parts[0];
        third.name = "third";
        third.bones.clear();
        model.parts = {model.parts[0], second, third};
        model.partGroups = {ModelPartGroup{"group", std::move(members)}};
        model.anims.clear();
        play(model, nullptr);
        return *instance_->partGroups._GetFirstRef();
    }
    static ModelPartGroupMember member(uint32_t part, uint32_t parentPart, uint32_t parentBone) {
        return ModelPartGroupMember{part, "", parentPart, parentBone, {0, 0, 0}, {}};
    }
};

TEST_F(PartGroupInstanceTest, LevelsFollowParentPartsAndBones) {
    L3DPartGroupInstance& group = build({member(1, 0, 0), member(2, 1, 0), member(3, 2, 2)});
    ASSERT_EQ(group.levels.Count(), 3u);
    std::vector<const L3D_PARTGROUPINST_LINK*> links;
    for (auto it = group.levels._GetFirstNode(); it != group.levels._GetEndNode(); it = it.Next()) {
        ASSERT_EQ(it.GetRef()->count, 1u);
        links.push_back(&it.GetRef()->links[0]);
    }
    EXPECT_EQ(links[0]->part.Get(), &part(0));
    EXPECT_FALSE(links[0]->parentPart);
    EXPECT_EQ(links[1]->part.Get(), &part(1));
    EXPECT_EQ(links[1]->parentPart.Get(), &part(0));
    EXPECT_FALSE(links[1]->parentBone);
    EXPECT_EQ(links[2]->part.Get(), &part(2));
    EXPECT_EQ(links[2]->parentPart.Get(), &part(1));
    // Bone 2 of the second part in pre-order: "lower", the child of "upper".
    EXPECT_EQ(links[2]->parentBone.Get(), &part(1).bones[0].children[0]);
}

TEST_F(PartGroupInstanceTest, MembersOutsideTheTreeArePlacedNowhere) {
    // Every member names a parent: no top level, no levels at all.
    EXPECT_EQ(build({member(1, 2, 0), member(2, 1, 0)}).levels.Count(), 0u);
    // A part placed twice on a level has its children placed once per entry.
    L3DPartGroupInstance& twice = build({member(1, 0, 0), member(1, 0, 0), member(2, 1, 0)});
    ASSERT_EQ(twice.levels.Count(), 2u);
    EXPECT_EQ(twice.levels._GetFirstRef()->count, 2u);
}

TEST_F(PartGroupInstanceTest, ACycleOfParentPartsIsFatal) {
    // The top member's part hangs below the second part, which hangs below the first: without
    // a stop the levels would repeat for ever.
    expectFatal(
        [&] {
            build({member(1, 0, 0), member(2, 1, 0), member(1, 2, 0)});
        },
        "[L3DPartGroupInstance::Build] Part group \"group\" hangs its parts in a cycle");
}

}  // namespace
}  // namespace tessera::test

// Collision group instances: spheres placed afresh after a switch or a reset, and the seven
// bounding spheres around the enabled groups of each type.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/model3d/instance_fixture.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class CollGroupInstanceTest : public InstanceTest {
protected:
    // The limb with its lower bone moving +x by 0.5 a frame, and these groups.
    L3DObjectInstance& playGroups(std::vector<ModelCollGroup> groups) {
        ModelFile model = limbModel();
        model.anims[0].motions[2].keys = {ModelKey{0}, ModelKey{20, 0, {10, 0, 0}}};
        model.collGroups = std::move(groups);
        return play(model);
    }
};

TEST_F(CollGroupInstanceTest, SwitchingOnOrResettingStartsWithPreviousEqualToCurrent) {
    L3DObjectInstance& instance =
        playGroups({ModelCollGroup{"on", "", 3, 1, {ModelSphere{1, 2}}},
                    ModelCollGroup{"off", "", 3, 0, {ModelSphere{1, 2}}}});
    L3DCollGroupInstance& on = collGroup(0);
    L3DCollGroupInstance& off = collGroup(1);
    EXPECT_TRUE(on.enabled());
    EXPECT_FALSE(off.enabled());
    forward(4);
    // Disabled spheres still follow the bone.
    EXPECT_FLOAT_EQ(off.spheres[0].centre[0], 1.5f);
    EXPECT_FLOAT_EQ(on.spheres[0].previousCentre[0], 1.0f);

    off._Switch(true);
    forward();
    EXPECT_FLOAT_EQ(off.spheres[0].centre[0], 2.0f);
    EXPECT_FLOAT_EQ(off.spheres[0].previousCentre[0], 2.0f);
    EXPECT_FLOAT_EQ(on.spheres[0].previousCentre[0], 1.5f);

    instance._ResetCollGroups();
    EXPECT_FALSE(off.enabled());
    forward();
    for (L3DCollGroupInstance* group : {&on, &off})
        EXPECT_FLOAT_EQ(group->spheres[0].previousCentre[0], group->spheres[0].centre[0]);
    // The bounding sphere of type 3 starts afresh too.
    EXPECT_EQ(instance.bounds.previous[3].centre[0], instance.bounds.current[3].centre[0]);
    forward();
    EXPECT_FLOAT_EQ(instance.bounds.previous[3].centre[0], 2.5f);
    EXPECT_FLOAT_EQ(instance.bounds.current[3].centre[0], 3.0f);
}

TEST_F(CollGroupInstanceTest, BoundingSpheresByType) {
    // Type 1: two groups on the object (free spheres) share one sphere; type 2: one group;
    // type 4: only a disabled group, which counts for nothing; types 0, 5, 6: no group.
    L3DObjectInstance& instance = playGroups(
        {ModelCollGroup{"a", "", 1, 1, {ModelSphere{1, 0, {0, 0, 0}, 1.0f}}},
         ModelCollGroup{"b",
                        "",
                        1,
                        1,
                        {ModelSphere{1, 0, {4, 0, 0}, 1.0f}, ModelSphere{1, 0, {2, 1, 0}, 0.5f}}},
         ModelCollGroup{"c", "", 2, 1, {ModelSphere{1, 0, {0, 0, -3}, 0.5f}}},
         ModelCollGroup{"d", "", 4, 0, {ModelSphere{1, 2, {0, 0, 0}, 2.0f}}}});
    instance.placement.position[1] = 10.0f;  // free spheres follow the instance
    forward();
    const L3DBoundingSphere* current = instance.bounds.current;
    // Box x -1..5, y -1..1.5 (+10), z -1..1: middle (2, 10.25, 0); farthest reach is the
    // first sphere's: |(-2, -0.25, 0)| + 1.
    EXPECT_FLOAT_EQ(current[1].centre[0], 2.0f);
    EXPECT_FLOAT_EQ(current[1].centre[1], 10.25f);
    EXPECT_FLOAT_EQ(current[1].centre[2], 0.0f);
    EXPECT_FLOAT_EQ(current[1].radius, std::sqrt(4.0f + 0.0625f) + 1.0f);
    EXPECT_FLOAT_EQ(current[2].centre[1], 10.0f);
    EXPECT_FLOAT_EQ(current[2].centre[2], -3.0f);
    EXPECT_FLOAT_EQ(current[2].radius, 0.5f);
    for (uint32_t type : {0u, 4u, 5u, 6u}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(current[type].radius, 0.0f);
        for (float c : current[type].centre) EXPECT_EQ(c, 0.0f);
    }
    EXPECT_EQ(instance.freeSphereCount, 4u);
    EXPECT_FLOAT_EQ(collGroup(3).spheres[0].centre[1], 10.0f);  // on the lower bone, moved up
}

}  // namespace
}  // namespace tessera::test

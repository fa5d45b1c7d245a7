#include "model3d/L3DKeySegments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "render3d/diagnostics/diagnostics.h"

namespace tessera::test {
namespace {

using mirel::DList;
using mirel::rcptr;

constexpr float kDegrees = 0.017453292f;

LQuat aboutZ(float degrees) {
    const float half = degrees * kDegrees * 0.5f;
    return {0.0f, 0.0f, std::sin(half), std::cos(half)};
}

// A key at `frame` with position (x, 0, 0), a turn of `degrees` about z and scale 1.
L3D_ANIMDATA_KEY key(uint32_t frame, float x, float degrees = 0.0f, uint32_t flags = 0) {
    const LQuat q = aboutZ(degrees);
    return {frame, flags, {x, 0.0f, 0.0f}, {q.x, q.y, q.z, q.w}, {1.0f, 1.0f, 1.0f}};
}

void fill(DList<L3D_ANIMDATA_KEY>& list, const std::vector<L3D_ANIMDATA_KEY>& keys) {
    for (const L3D_ANIMDATA_KEY& k : keys) {
        rcptr<L3D_ANIMDATA_KEY> element;
        element.Create();
        *element = k;
        list.AddTail(element);
    }
}

// A motion bound to a node: built, then the node rests and rewinds as a reset does.
struct Motion {
    DList<L3D_ANIMDATA_KEY> keys;
    L3DKeyScratch scratch;
    L3DKeySegments segments;
    L3DKeyPose pose;

    Motion(const std::vector<L3D_ANIMDATA_KEY>& list, uint32_t end, uint32_t loop,
           LVec pivot = {0.0f, 0.0f, 0.0f}) {
        fill(keys, list);
        segments.Build(keys, pivot, end, loop, scratch);
        pose.Rest(&segments);
        pose.Rewind(&segments);
    }

    // Steps frame by frame from the rewind; frame f is shown by the (f + 1)-th update.
    void showFrame(uint32_t frame, uint32_t& shown) {
        for (; shown <= frame; ++shown) pose.Step(&segments, 1);
    }
};

// The angle of a turn about z, in degrees.
float angleOf(const LQuat& q) { return 2.0f * std::atan2(q.z, q.w) / kDegrees; }

TEST(KeySegments, InterpolationTable) {
    struct Case {
        const char* name;
        std::vector<L3D_ANIMDATA_KEY> keys;
        uint32_t end, loop;
        // Frame, then the pose's x and turn in degrees.
        std::vector<std::vector<float>> shown;
    };
    const Case cases[] = {
        {"a single key is never stepped",
         {key(0, 5.0f, 30.0f)},
         30,
         0,
         {{0, 5, 30}, {1, 5, 30}, {100, 5, 30}}},
        {"a first key at 10 starts from the neutral pose",
         {key(10, 10.0f, 40.0f)},
         20,
         0,
         {{0, 0, 0}, {5, 5, 20}, {10, 10, 40}, {25, 10, 40}, {30, 10, 40}, {77, 10, 40}}},
        {"two keys on one frame: the segment lasts until E",
         {key(0, 0.0f), key(10, 4.0f), key(10, 8.0f)},
         30,
         0,
         {{9, 3.6f, 0}, {10, 4, 0}, {11, 4.2f, 0}, {29, 7.8f, 0}, {30, 8, 0}}},
        {"L past the last key holds the last key",
         {key(0, 0.0f, 0.0f), key(10, 10.0f, 90.0f)},
         20,
         15,
         {{5, 5, 45}, {10, 10, 90}, {50, 10, 90}, {200, 10, 90}}},
        {"keys 0, 10, 20 with E 20 and L 0 loop from the key at 10",
         {key(0, 0.0f, 0.0f), key(10, 10.0f, 20.0f), key(20, 20.0f, 40.0f)},
         20,
         0,
         {{0, 0, 0},
          {5, 5, 10},
          {10, 10, 20},
          {20, 20, 40},
          {25, 15, 30},
          {30, 10, 20},
          {40, 20, 40},
          {50, 10, 20},
          {65, 15, 30}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Motion motion(c.keys, c.end, c.loop);
        uint32_t shown = 0;
        for (const std::vector<float>& row : c.shown) {
            const auto frame = static_cast<uint32_t>(row[0]);
            motion.showFrame(frame, shown);
            EXPECT_NEAR(motion.pose.position.x, row[1], 1e-5f) << "frame " << frame;
            EXPECT_NEAR(angleOf(motion.pose.rotation), row[2], 1e-3f) << "frame " << frame;
            EXPECT_EQ(motion.pose.scale.x, 1.0f) << "frame " << frame;
        }
    }
}

TEST(KeySegments, SegmentsOfTheLoopExample) {
    Motion motion({key(0, 0.0f), key(10, 10.0f), key(20, 20.0f, 0.0f, 3)}, 20, 0);
    const L3DKeySegments& s = motion.segments;
    ASSERT_EQ(s.segmentCount, 3u);
    EXPECT_EQ(s.loopSegment, 1u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(s.segments[i].duration, 10u);
    EXPECT_EQ(s.segments[2].flags, 3u);
    // The last segment is curved: it ends at W1, the key at 10 moved to 30, with the slope
    // towards W2, the key at 20 moved to 40.
    const L3DCubicKey x = l3dCalcCubicKey(10, 10, 10, 10, 20, 10, 20);
    const float(&k)[4][3] = s.segments[2].position;
    EXPECT_EQ(k[0][0], x.k3);
    EXPECT_EQ(k[1][0], x.k2);
    EXPECT_EQ(k[2][0], x.k1);
    EXPECT_EQ(k[3][0], x.k0);
    // The pose reports the key flags of its segment.
    uint32_t shown = 0;
    motion.showFrame(19, shown);
    EXPECT_EQ(motion.pose.keyFlags, 0u);
    motion.showFrame(20, shown);
    EXPECT_EQ(motion.pose.keyFlags, 3u);
}

TEST(KeySegments, HermiteCoefficientsAgainstHandValues) {
    struct Case {
        float dp, dc, dn, vp, vc, vd, ve;
        L3DCubicKey want;
    };
    const Case cases[] = {
        // Uniform: both slopes 1.5.
        {10, 10, 10, 0, 1, 3, 4, {-1.0f, 1.5f, 1.5f, 1.0f}},
        // First segment (dp = 0): the start slope is the chord's, 2; m2 = 50 / 30.
        {0, 10, 20, 0, 1, 3, 4, {-1.0f / 3.0f, 1.0f / 3.0f, 2.0f, 1.0f}},
        // The next item on the same frame as the end (dn = 0): the end slope is 0.
        {10, 10, 0, 0, 1, 3, 3, {-2.5f, 3.0f, 1.5f, 1.0f}},
        // Each difference weighted by the other segment's length: m1 = 4 / 3, m2 = 8 / 3.
        {5, 10, 20, 0, 1, 3, 7, {0.0f, 2.0f / 3.0f, 4.0f / 3.0f, 1.0f}},
    };
    for (const Case& c : cases) {
        const L3DCubicKey k = l3dCalcCubicKey(c.dp, c.dc, c.dn, c.vp, c.vc, c.vd, c.ve);
        EXPECT_NEAR(k.k3, c.want.k3, 1e-6f) << c.dp << " " << c.dn;
        EXPECT_NEAR(k.k2, c.want.k2, 1e-6f) << c.dp << " " << c.dn;
        EXPECT_NEAR(k.k1, c.want.k1, 1e-6f) << c.dp << " " << c.dn;
        EXPECT_EQ(k.k0, c.want.k0);
        // The curve runs from vc to vd.
        EXPECT_NEAR(k.k3 + k.k2 + k.k1 + k.k0, c.vd, 1e-6f);
    }
}

TEST(KeySegments, CurvedSegmentsPassThroughTheirKeys) {
    const uint32_t curved = L3D_ANIMDATA_KEY::FlagCurved;
    Motion motion(
        {key(0, 0.0f, 0.0f, curved), key(4, 2.0f, 60.0f, curved), key(12, 10.0f, 100.0f, curved)},
        12, 0);
    uint32_t shown = 0;
    const float keyX[] = {0.0f, 2.0f, 10.0f}, keyAngle[] = {0.0f, 60.0f, 100.0f};
    const uint32_t keyFrame[] = {0, 4, 12};
    float previousX = -1.0f;
    for (uint32_t frame = 0; frame <= 12; ++frame) {
        motion.showFrame(frame, shown);
        // Rising keys with a monotone curve between them.
        EXPECT_GT(motion.pose.position.x, previousX) << frame;
        previousX = motion.pose.position.x;
        for (int i = 0; i < 3; ++i)
            if (frame == keyFrame[i]) {
                EXPECT_NEAR(motion.pose.position.x, keyX[i], 1e-5f);
                EXPECT_NEAR(angleOf(motion.pose.rotation), keyAngle[i], 1e-3f);
            }
    }
}

TEST(KeySegments, LocalMatrixIsPivotScaleRotationTranslation) {
    const LVec pivot = {1.0f, 2.0f, -3.0f};
    L3D_ANIMDATA_KEY k = key(0, 4.0f, 35.0f);
    k.translation[1] = -5.0f;
    k.scale[0] = 2.0f;
    k.scale[2] = 0.5f;
    Motion motion({k}, 10, 0, pivot);
    const L3DKeyPose& pose = motion.pose;
    // The stored position is the key's own; the matrix holds it plus the pivot.
    EXPECT_EQ(pose.position.x, 4.0f);
    EXPECT_EQ(pose.position.y, -5.0f);
    EXPECT_EQ(pose.position.z, 0.0f);

    LMat scale, rotation, translation = LMat::Identity();
    LMat::Scaling(scale, 2.0f, 1.0f, 0.5f);
    LQuat::ToMatrix(pose.rotation, rotation);
    translation.m[3][0] = 4.0f + pivot.x;
    translation.m[3][1] = -5.0f + pivot.y;
    translation.m[3][2] = 0.0f + pivot.z;
    const LMat product = motion.segments.pivotMatrix * scale * rotation * translation;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(pose.local.m[i][j], product.m[i][j]) << i << j;
    // The pivot itself lands on the key position plus the pivot.
    LVec moved;
    LMat::TransformCoord(pivot, pose.local, moved);
    EXPECT_NEAR(moved.x, 5.0f, 1e-5f);
    EXPECT_NEAR(moved.y, -3.0f, 1e-5f);
    EXPECT_NEAR(moved.z, -3.0f, 1e-5f);
}

TEST(KeySegments, RestRewindAndMissingMotion) {
    // Without keys there are no segments: the rest pose is neutral and steps change nothing.
    DList<L3D_ANIMDATA_KEY> none;
    L3DKeyScratch scratch;
    L3DKeySegments empty;
    EXPECT_FALSE(empty.Build(none, {1.0f, 1.0f, 1.0f}, 10, 0, scratch));
    EXPECT_EQ(empty.segmentCount, 0u);
    EXPECT_EQ(empty.pivotMatrix.m[3][0], -1.0f);
    L3DKeyPose pose;
    pose.position = {3.0f, 3.0f, 3.0f};
    pose.keyFlags = 7;
    pose.Rest(&empty);
    pose.Rewind(&empty);
    pose.Step(&empty, 1);
    EXPECT_EQ(pose.position.x, 0.0f);
    EXPECT_EQ(pose.rotation.w, 1.0f);
    EXPECT_EQ(pose.local.m[3][0], 0.0f);
    EXPECT_EQ(pose.framesLeft, 0u);
    EXPECT_EQ(pose.keyFlags, 0u);
    pose.Step(nullptr, 1);
    EXPECT_EQ(pose.keyFlags, 0u);

    // With two or more segments the rest pose leaves the pose until the first step, and a
    // rewind starts again from the first key.
    Motion motion({key(0, 0.0f), key(10, 10.0f)}, 20, 0);
    uint32_t shown = 0;
    motion.showFrame(14, shown);
    EXPECT_NEAR(motion.pose.position.x, 10.0f, 1e-5f);
    motion.pose.Rest(&motion.segments);
    EXPECT_NEAR(motion.pose.position.x, 10.0f, 1e-5f);
    motion.pose.Rewind(&motion.segments);
    EXPECT_EQ(motion.pose.framesLeft, 10u);
    motion.pose.Step(&motion.segments, 1);
    EXPECT_EQ(motion.pose.position.x, 0.0f);

    EXPECT_THROW(pose.Evaluate(nullptr, 0, 0.0f), LExceptGame);
    EXPECT_THROW(pose.Evaluate(&motion.segments, 2, 0.0f), LExceptGame);
}

}  // namespace
}  // namespace tessera::test

// The AVX2 quad walk (two quads a step) against the SSE2 one: the same quads, in the same
// order, with the same bits, over random triangles, attribute sets and clip rectangles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "platform/d3d9/triangle_setup.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

// Every quad handed over, as bytes, and a marker for each end of a triangle.
class RecordingSink final : public QuadSink {
public:
    explicit RecordingSink(const TriangleSetup& setup) : setup_(setup) {}
    void shadeQuad(const Quad& quad) override {
        const auto append = [this](const void* bytes, std::size_t size) {
            const auto* begin = static_cast<const unsigned char*>(bytes);
            record.insert(record.end(), begin, begin + size);
        };
        append(&quad.x, sizeof quad.x);
        append(&quad.y, sizeof quad.y);
        append(&quad.mask, sizeof quad.mask);
        append(quad.z, sizeof quad.z);
        // Only the interpolated attributes: the others are whatever each walk left there.
        for (int u = 0; u < setup_.usedCount; ++u)
            append(quad.attr[setup_.used[u]], sizeof quad.attr[0]);
    }
    void endTriangle() override { record.push_back(0xEE); }

    std::vector<unsigned char> record;

private:
    const TriangleSetup& setup_;
};

TEST(QuadWalk, Avx2MatchesSse2) {
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2 on this processor";
    std::mt19937 random(11);
    std::uniform_real_distribution<float> position(-20.0f, 90.0f), rhw(0.05f, 4.0f),
        value(-100.0f, 100.0f);
    int drawn = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        RasterVertex v[3];
        for (RasterVertex& vertex : v) {
            vertex.x = position(random);
            vertex.y = position(random);
            vertex.z = value(random) / 100.0f;
            // Some triangles at one depth (screen passes), most with perspective.
            vertex.rhw = trial % 4 == 0 ? 1.0f : rhw(random);
            for (float& a : vertex.attr) a = value(random);
        }
        // Thin slivers too, whose rows hold a quad or two, and corners on whole pixels, whose
        // edges run through pixel centres (where the fill rule decides).
        if (trial % 5 == 0) v[2].x = v[1].x + 0.3f;
        if (trial % 3 == 1)
            for (RasterVertex& vertex : v) {
                vertex.x = std::round(vertex.x);
                vertex.y = std::round(vertex.y);
            }
        const AttributeMask attributes = (static_cast<AttributeMask>(random()) << 32 | random()) &
                                         attributeRange(0, kMaxAttributes);
        const int left = static_cast<int>(random() % 8), top = static_cast<int>(random() % 8);
        const PixelRect clip{left, top, left + 1 + static_cast<int>(random() % 72),
                             top + 1 + static_cast<int>(random() % 72)};
        const auto cull = static_cast<D3DCULL>(D3DCULL_NONE + trial % 3);
        TriangleSetup setup;
        if (!setUpTriangle(v[0], v[1], v[2], attributes, cull, clip, setup)) continue;
        RecordingSink sse2(setup), avx2(setup);
        walkQuadsSse2(setup, clip, sse2);
        walkQuadsAvx2(setup, clip, avx2);
        ASSERT_EQ(sse2.record, avx2.record) << "trial " << trial;
        drawn += sse2.record.empty() ? 0 : 1;
    }
    EXPECT_GT(drawn, 1000);  // most triangles produced quads
}

}  // namespace
}  // namespace tessera::test

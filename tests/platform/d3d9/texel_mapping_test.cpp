// Which triangle pairs the copy passes draw as row spans, and the texels each row and column
// reads. Drawing such pairs matches the general pipeline (span_copy_test); here the decisions.
#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <utility>
#include <vector>

#include "platform/d3d9/texel_mapping.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

RasterVertex corner(float x, float y, float u, float v, float rhw = 1.0f) {
    RasterVertex r{};
    r.x = x;
    r.y = y;
    r.rhw = rhw;
    r.attr[0] = u;
    r.attr[1] = v;
    return r;
}

// The rectangle [x0, x1) x [y0, y1) with (u, v) from (u0, v0) to (u1, v1), as two triangles
// meeting along the top-left to bottom-right diagonal.
struct Pair {
    std::array<RasterVertex, 3> first, second;
};
Pair rectangle(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
    const RasterVertex tl = corner(x0, y0, u0, v0), tr = corner(x1, y0, u1, v0),
                       bl = corner(x0, y1, u0, v1), br = corner(x1, y1, u1, v1);
    return {{tl, tr, br}, {tl, br, bl}};
}

constexpr PixelRect kClip{0, 0, 64, 64};
constexpr TexelAxis kWrap8{8, D3DTADDRESS_WRAP};

bool map(const Pair& pair, TexelMapping& mapping, D3DCULL cull = D3DCULL_NONE, TexelAxis u = kWrap8,
         TexelAxis v = kWrap8) {
    return mapRectangle(pair.first, pair.second, 0, cull, kClip, u, v, mapping);
}

TEST(TexelMapping, OneToOneCopyReadsConsecutiveTexels) {
    // Eight texels over pixels 2..9, starting three texels in: wrapping after texel 7.
    TexelMapping mapping;
    ASSERT_TRUE(map(rectangle(1.5f, 0.5f, 9.5f, 2.5f, 3.0f / 8, 0, 11.0f / 8, 2.0f / 8), mapping));
    EXPECT_EQ(mapping.pixels.left, 2);
    EXPECT_EQ(mapping.pixels.top, 1);
    EXPECT_EQ(mapping.pixels.right, 10);
    EXPECT_EQ(mapping.pixels.bottom, 3);
    EXPECT_EQ(mapping.columns, (std::vector<int>{3, 4, 5, 6, 7, 0, 1, 2}));
    EXPECT_EQ(mapping.rows, (std::vector<int>{0, 1}));
    ASSERT_EQ(mapping.runs.size(), 2u);
    EXPECT_TRUE(mapping.runs[0].contiguous);
    EXPECT_EQ(mapping.runs[0].left, 2);
    EXPECT_EQ(mapping.runs[0].right, 7);
    EXPECT_EQ(mapping.runs[1].left, 7);
    EXPECT_EQ(mapping.runs[1].right, 10);
}

TEST(TexelMapping, StepsBordersAndClampsMapPerAxis) {
    struct Case {
        const char* name;
        float u0, u1;
        TexelAxis axis;
        std::vector<int> columns;
    };
    // Pixels 0..3 over [-0.5, 3.5); texel positions never on a texel edge.
    const Case cases[] = {
        {"every other texel", -1.0f / 16, 15.0f / 16, kWrap8, {0, 2, 4, 6}},
        {"mirrored", 0.5f, 0.0f, kWrap8, {3, 2, 1, 0}},
        {"clamped beyond both ends", -0.5625f, 1.4375f, {4, D3DTADDRESS_CLAMP}, {0, 0, 2, 3}},
        {"border beyond both ends", -0.5625f, 1.4375f, {4, D3DTADDRESS_BORDER}, {-1, 0, 2, -1}},
    };
    for (const Case& c : cases) {
        TexelMapping mapping;
        ASSERT_TRUE(map(rectangle(-0.5f, -0.5f, 3.5f, 0.5f, c.u0, 0, c.u1, 1.0f / 8), mapping,
                        D3DCULL_NONE, c.axis))
            << c.name;
        EXPECT_EQ(mapping.columns, c.columns) << c.name;
    }
}

TEST(TexelMapping, ClipAndCoverageFollowTheFillRule) {
    // Corners on pixel centres: the left and top columns are in, the right and bottom out;
    // the clip cuts the rest.
    TexelMapping mapping;
    ASSERT_TRUE(map(rectangle(60, 2, 70, 6, 0.5f / 8, 0.5f / 8, 10.5f / 8, 4.5f / 8), mapping));
    EXPECT_EQ(mapping.pixels.left, 60);
    EXPECT_EQ(mapping.pixels.top, 2);
    EXPECT_EQ(mapping.pixels.right, 64);
    EXPECT_EQ(mapping.pixels.bottom, 6);
    ASSERT_TRUE(map(rectangle(70, 2, 80, 6, 0, 0, 1, 1), mapping));
    EXPECT_TRUE(mapping.columns.empty());
}

TEST(TexelMapping, RefusesWhatIsNoTexelAlignedRectangle) {
    const Pair aligned = rectangle(-0.5f, -0.5f, 7.5f, 3.5f, 0, 0, 1, 0.5f);
    struct Case {
        const char* name;
        Pair pair;
        D3DCULL cull = D3DCULL_NONE;
    };
    std::vector<Case> cases;
    {
        Pair p = aligned;
        p.second[2].x += 0.25f;  // a skewed corner
        cases.push_back({"skewed", p});
    }
    {
        Pair p = aligned;
        p.second = p.first;  // the same triangle twice
        cases.push_back({"one triangle twice", p});
    }
    {
        // Triangles over the same side overlap instead of meeting at the diagonal.
        const RasterVertex tl = aligned.first[0], tr = aligned.first[1], br = aligned.first[2],
                           bl = aligned.second[2];
        cases.push_back({"overlapping", {{tl, tr, bl}, {tl, tr, br}}});
    }
    {
        Pair p = aligned;
        p.first[1].attr[1] = 0.25f;  // v changes along x
        cases.push_back({"v along x", p});
    }
    {
        Pair p = aligned;
        for (auto* t : {&p.first, &p.second})
            for (RasterVertex& v : *t) v.rhw = v.x > 0 ? 0.5f : 1.0f;  // perspective
        cases.push_back({"perspective", p});
    }
    {
        Pair p = aligned;
        for (auto* t : {&p.first, &p.second})
            for (RasterVertex& v : *t)
                v.rhw = 1e-30f;  // coordinates times rhw would lose their precision
        cases.push_back({"tiny rhw", p});
    }
    {
        Pair p = aligned;
        std::swap(p.second[1], p.second[2]);  // the second triangle wound the other way
        cases.push_back({"mixed winding", p});
    }
    cases.push_back({"culled", aligned, D3DCULL_CW});
    // Texel edges on pixel centres: interpolation may land on either side.
    cases.push_back({"texel edges on pixel centres",
                     rectangle(-0.5f, -0.5f, 7.5f, 3.5f, 0.5f / 8, 0, 8.5f / 8, 0.5f)});
    {
        Pair p = aligned;
        p.first[0].attr[0] = std::numeric_limits<float>::infinity();
        cases.push_back({"infinite coordinate", p});
    }
    for (const Case& c : cases) {
        TexelMapping mapping;
        EXPECT_FALSE(map(c.pair, mapping, c.cull)) << c.name;
    }
    TexelMapping mapping;
    EXPECT_TRUE(map(aligned, mapping));
    EXPECT_TRUE(map(aligned, mapping, D3DCULL_CCW));  // clockwise on screen
}

}  // namespace
}  // namespace tessera::test

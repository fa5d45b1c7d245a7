// Coverage rules: pixel centres at integers, the top-left fill rule, culling, clipping and
// refusal of unusable vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

class Rasterization : public DeviceTest {
protected:
    void SetUp() override {
        createDevice(16, 16);
        // Additive blending of 1/255 counts how often each pixel is hit.
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device_->BeginScene();
    }
    void TearDown() override { device_->EndScene(); }

    void triangle(const float (&xy)[3][2], D3DCOLOR colour = 0x01010101) {
        SpriteVertex v[3];
        for (int i = 0; i < 3; ++i) v[i] = {xy[i][0], xy[i][1], 0, 1, colour, 0, 0, 0, 0};
        ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(SpriteVertex)), D3D_OK);
    }

    // How many times each pixel was hit (blue channel).
    std::vector<int> hits() {
        std::vector<int> counts;
        for (std::uint32_t p : readTarget()) counts.push_back(static_cast<int>(p & 0xFF));
        return counts;
    }
};

TEST_F(Rasterization, TrianglesSharingAnEdgeCoverEachPixelOnce) {
    // A fan of eight triangles around a pixel centre: the shared edges run along a row, a
    // column and both diagonals through pixel centres. Every pixel is hit exactly once.
    const float cx = 7.0f, cy = 7.0f;
    const float ring[][2] = {{-0.5f, -0.5f}, {7.0f, -0.5f}, {15.5f, -0.5f}, {15.5f, 7.0f},
                             {15.5f, 15.5f}, {7.0f, 15.5f}, {-0.5f, 15.5f}, {-0.5f, 7.0f}};
    for (int i = 0; i < 8; ++i) {
        const float(&a)[2] = ring[i];
        const float(&b)[2] = ring[(i + 1) % 8];
        triangle({{cx, cy}, {a[0], a[1]}, {b[0], b[1]}});
    }
    const std::vector<int> counts = hits();
    for (int i = 0; i < 256; ++i) EXPECT_EQ(counts[i], 1) << "pixel " << i % 16 << "," << i / 16;
}

TEST_F(Rasterization, PixelCentresOnEdgesFollowTheTopLeftRule) {
    // The square [2, 6] x [2, 6] with its corners on pixel centres covers the pixels whose
    // centres lie on its top and left edges, not those on its bottom and right edges.
    triangle({{2, 2}, {6, 2}, {2, 6}});
    triangle({{6, 2}, {6, 6}, {2, 6}});
    const std::vector<int> counts = hits();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(counts[y * 16 + x], x >= 2 && x < 6 && y >= 2 && y < 6 ? 1 : 0)
                << x << "," << y;
}

TEST_F(Rasterization, SnappingToSubpixelsKeepsSharedEdgesWatertight) {
    // A shared edge whose end points are not on the 1/256 grid.
    const float a[2] = {0.1234567f, 0.37f}, b[2] = {13.333333f, 14.987654f};
    triangle({{a[0], a[1]}, {b[0], b[1]}, {0.2f, 15.3f}});
    triangle({{a[0], a[1]}, {15.1f, 0.4f}, {b[0], b[1]}});
    for (int count : hits()) EXPECT_LE(count, 1);
}

TEST_F(Rasterization, CullModeFollowsScreenWinding) {
    const float clockwise[3][2] = {{0, 0}, {8, 0}, {0, 8}};  // y down: clockwise on screen
    const float counterClockwise[3][2] = {{0, 0}, {0, 8}, {8, 0}};
    struct Case {
        D3DCULL mode;
        int clockwiseHits, counterClockwiseHits;
    };
    for (const Case c :
         {Case{D3DCULL_NONE, 1, 1}, Case{D3DCULL_CW, 0, 1}, Case{D3DCULL_CCW, 1, 0}}) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, c.mode);
        triangle(clockwise);
        EXPECT_EQ(hits()[1 * 16 + 1], c.clockwiseHits) << "cull " << c.mode;
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        triangle(counterClockwise);
        EXPECT_EQ(hits()[1 * 16 + 1], c.counterClockwiseHits) << "cull " << c.mode;
    }
}

TEST_F(Rasterization, UnusableVerticesDrawNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    triangle({{nan, 0}, {8, 0}, {0, 8}});
    triangle({{0, 0}, {inf, 0}, {0, 8}});
    triangle({{0, 0}, {1e9f, 0}, {0, 1e9f}});
    SpriteVertex v[3] = {{0, 0, 0, 0, 0x01010101, 0, 0, 0, 0},
                         {8, 0, 0, 0, 0x01010101, 0, 0, 0, 0},
                         {0, 8, 0, 0, 0x01010101, 0, 0, 0, 0}};  // rhw 0
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(SpriteVertex)), D3D_OK);
    for (int count : hits()) EXPECT_EQ(count, 0);
}

TEST_F(Rasterization, StripsAndFansKeepOneWinding) {
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    // A strip and a fan of four triangles each, all clockwise when wound as D3D9 does.
    SpriteVertex strip[6];
    const float sxy[6][2] = {{0, 0}, {0, 4}, {4, 0}, {4, 4}, {8, 0}, {8, 4}};
    for (int i = 0; i < 6; ++i)
        strip[i] = {sxy[i][0] - 0.5f, sxy[i][1] - 0.5f, 0, 1, 0x01010101, 0, 0, 0, 0};
    // Vertex order (0,0),(0,4),(4,0) runs counter-clockwise on screen, so flip the first pair.
    std::swap(strip[0], strip[1]);
    std::swap(strip[2], strip[3]);
    std::swap(strip[4], strip[5]);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 4, strip, sizeof(SpriteVertex)),
              D3D_OK);
    SpriteVertex fan[5];
    const float fxy[5][2] = {{4, 12}, {0, 8}, {8, 8}, {8, 16}, {0, 16}};
    for (int i = 0; i < 5; ++i)
        fan[i] = {fxy[i][0] - 0.5f, fxy[i][1] - 0.5f, 0, 1, 0x01010101, 0, 0, 0, 0};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 3, fan, sizeof(SpriteVertex)), D3D_OK);
    const std::vector<int> counts = hits();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(counts[y * 16 + x], 1) << x << "," << y;
    // The fan covers the rectangle [0,8) x [8,16) except the triangle between its last and first
    // rim vertices (the left side).
    EXPECT_EQ(counts[9 * 16 + 6], 1);
    EXPECT_EQ(counts[15 * 16 + 4], 1);
}

// An indexed draw of more triangles than the device shades vertices for at once, whose
// indices reuse vertices across those chunks and lie scattered over a large buffer: every
// triangle still gets its own three vertices.
TEST_F(Rasterization, IndexedDrawsFindEveryTrianglesVertices) {
    constexpr int kPixels = 16 * 16, kTriangles = 1500, kPool = 40000;
    // Vertex j of pixel p's triangle (around its centre, covering only it) sits at a place of
    // its own in the pool; the rest of the pool is never read.
    const auto place = [](int p, int j) { return (p * 151 + j * 13331) % kPool; };
    std::vector<SpriteVertex> pool(kPool, SpriteVertex{});
    for (int p = 0; p < kPixels; ++p) {
        const float x = static_cast<float>(p % 16), y = static_cast<float>(p / 16);
        const float corners[3][2] = {{x - 0.5f, y - 0.5f}, {x + 1, y - 0.5f}, {x - 0.5f, y + 1}};
        for (int j = 0; j < 3; ++j)
            pool[place(p, j)] = {corners[j][0], corners[j][1], 0, 1, 0x01010101, 0, 0, 0, 0};
    }
    std::vector<std::uint16_t> indices;
    for (int t = 0; t < kTriangles; ++t) {
        const int p = t * 97 % kPixels;
        for (int j = 0; j < 3; ++j) indices.push_back(static_cast<std::uint16_t>(place(p, j)));
    }
    ASSERT_EQ(
        device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, kPool, kTriangles, indices.data(),
                                        D3DFMT_INDEX16, pool.data(), sizeof(SpriteVertex)),
        D3D_OK);
    const std::vector<int> counts = hits();
    for (int p = 0; p < kPixels; ++p) {
        int expected = 0;
        for (int t = 0; t < kTriangles; ++t) expected += t * 97 % kPixels == p;
        EXPECT_EQ(counts[static_cast<std::size_t>(p)], expected) << "pixel " << p;
    }
}

// A fan long enough that its first vertex lies far from the rest of a late chunk's: the last
// triangle, the only one with an area, still covers every pixel once.
TEST_F(Rasterization, LongFansKeepTheirFirstVertex) {
    constexpr int kTriangles = 70000;
    std::vector<SpriteVertex> fan(kTriangles + 2,
                                  SpriteVertex{-1, -1, 0, 1, 0x01010101, 0, 0, 0, 0});
    fan[kTriangles] = {40, -1, 0, 1, 0x01010101, 0, 0, 0, 0};
    fan[kTriangles + 1] = {-1, 40, 0, 1, 0x01010101, 0, 0, 0, 0};
    ASSERT_EQ(
        device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, kTriangles, fan.data(), sizeof(SpriteVertex)),
        D3D_OK);
    for (int count : hits()) EXPECT_EQ(count, 1);
}

TEST_F(Rasterization, ClipSpaceTrianglesAreClippedAtNearAndFar) {
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    struct V {
        float x, y, z;
        D3DCOLOR c;
    };
    // A full-screen pair of triangles with z from -1 (before near) at the left to 2 (beyond
    // far) at the right: only the part with z in [0, 1] remains, columns 5 .. 10.
    const V quad[6] = {{-1, 1, -1, 0x01010101},  {1, 1, 2, 0x01010101}, {-1, -1, -1, 0x01010101},
                       {-1, -1, -1, 0x01010101}, {1, 1, 2, 0x01010101}, {1, -1, 2, 0x01010101}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(V)), D3D_OK);
    const std::vector<int> counts = hits();
    for (int x = 0; x < 16; ++x) {
        // Screen x of a column centre is x; z = -1 + 3 * (x + 0.5) / 16.
        const float z = -1.0f + 3.0f * (static_cast<float>(x) + 0.5f) / 16.0f;
        const bool inside = z >= 0.0f && z <= 1.0f;
        if (std::fabs(z) < 0.05f || std::fabs(z - 1.0f) < 0.05f) continue;  // on a clip edge
        EXPECT_EQ(counts[8 * 16 + x], inside ? 1 : 0) << "column " << x;
    }
}

TEST_F(Rasterization, HugeClipSpaceTrianglesStayInsideTheGuardBand) {
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    struct V {
        float x, y, z;
        D3DCOLOR c;
    };
    const V big[3] = {{-1e6f, -1e6f, 0.5f, 0x01010101},
                      {1e6f, -1e6f, 0.5f, 0x01010101},
                      {0, 1e6f, 0.5f, 0x01010101}};
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, big, sizeof(V)), D3D_OK);
    for (int count : hits()) EXPECT_EQ(count, 1);
}

}  // namespace
}  // namespace tessera::test

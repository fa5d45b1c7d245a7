// Golden images of the drawing (160 x 120 frames of the software device with the built shader
// set): blended quads sorted back to front, a skinned box with its outline, and every blended
// blend type over a checker background.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DPartDraw.h"
#include "tests/platform/d3d9/support/presented_frames.h"
#include "tests/render3d/renderer_fixture.h"
#include "tests/render3d/support/matrices.h"
#include "tests/render3d/support/part_builder.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

constexpr uint32_t kWidth = 160, kHeight = 120;

// A box of half size h around the origin with a normal per face, faces wound to be front
// faces where they face the eye. The lower half follows palette slot 1 (bone byte 1), the
// upper half slot 2 (bone byte 2), blended across the middle.
PieceSpec skinnedBox(float h) {
    PieceSpec spec;
    spec.weightCount = 2;
    spec.usedBones = {1, 2};
    const float normals[6][3] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                 {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    for (const auto& n : normals) {
        // Two axes across the face.
        const float u[3] = {n[1] != 0 || n[2] != 0 ? 1.0f : 0.0f, n[0] != 0 ? 1.0f : 0.0f, 0.0f};
        const float v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2],
                            n[0] * u[1] - n[1] * u[0]};
        const auto first = static_cast<uint16_t>(spec.vertices.size());
        for (int k = 0; k < 4; ++k) {
            const float su = (k & 1) ? 1.0f : -1.0f, sv = (k & 2) ? 1.0f : -1.0f;
            L3D_RENDERER_VERTEX vertex{};
            vertex.x = h * (n[0] + su * u[0] + sv * v[0]);
            vertex.y = h * (n[1] + su * u[1] + sv * v[1]);
            vertex.z = h * (n[2] + su * u[2] + sv * v[2]);
            const float upper = std::clamp(0.5f + vertex.y / (2.0f * h), 0.0f, 1.0f);
            vertex.weights[0] = 1.0f - upper;
            vertex.weights[1] = upper;
            vertex.boneIndices = 0x0201;
            vertex.nx = n[0];
            vertex.ny = n[1];
            vertex.nz = n[2];
            vertex.color = 0xFFF0C890;
            spec.vertices.push_back(vertex);
        }
        // Corners 0 (-u -v), 1 (+u -v), 2 (-u +v), 3 (+u +v): wind each triangle so that its
        // cross product points against the outward normal (counter-clockwise seen from
        // outside in the left-handed frame).
        auto wind = [&](uint16_t a, uint16_t b, uint16_t c) {
            const auto& A = spec.vertices[first + a];
            const auto& B = spec.vertices[first + b];
            const auto& C = spec.vertices[first + c];
            const float e1[3] = {B.x - A.x, B.y - A.y, B.z - A.z};
            const float e2[3] = {C.x - A.x, C.y - A.y, C.z - A.z};
            const float cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                    e1[0] * e2[1] - e1[1] * e2[0]};
            const bool against = cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2] < 0;
            spec.indices.insert(spec.indices.end(),
                                {uint16_t(first + a), uint16_t(first + (against ? b : c)),
                                 uint16_t(first + (against ? c : b))});
        };
        wind(0, 1, 2);
        wind(2, 1, 3);
    }
    return spec;
}

class RendererDrawGolden : public RendererTest {
protected:
    void SetUp() override {
        RendererTest::SetUp();
        clientWidth_ = kWidth;
        clientHeight_ = kHeight;
        presenter_ = [this](HWND) { return lastFramePresenter(frame_); };
        L3DDevice& device = createWindowed();
        L3DRenderer& renderer = createRenderer(device, builtShaderArchive());
        // The eye at the origin looking along +z; x from -2 to 2 and y from -1.5 to 1.5 fill the
        // view, depth 0 to 10.
        renderer.SetViewProjection(LMat::Identity(), parallel43());
        const float light[3] = {-0.3f, -0.5f, -0.8f};
        renderer.SetLightDir(light);
    }

    // Draws the parts (blended ones through the depth-sorted pass) and returns the frame.
    Frame draw(const std::vector<L3DPartDraw*>& parts) {
        IDirect3DDevice9* d = device_->device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF303040, 1.0f, 0);
        d->BeginScene();
        const float white[4] = {1, 1, 1, 1};
        renderer_->DrawObjectInstance(parts, white, white, 0);
        renderer_->DrawZsd();
        d->EndScene();
        frame_ = {};
        EXPECT_TRUE(device_->Present());
        return frame_;
    }

    // A part of one quad of this blend type, its colours A = white and B = none.
    std::unique_ptr<PartBuilder> quad(float x, float y, float z, float size, uint32_t argb,
                                      uint32_t blendType) {
        const float centre[3] = {x, y, z};
        auto part = std::make_unique<PartBuilder>(std::vector<LMat>{LMat::Identity()}, centre);
        PieceSpec spec = quadPiece(x - size, y - size, x + size, y + size, z, argb);
        spec.blendType = blendType;
        part->add(spec, device_.get());
        for (int i = 0; i < 4; ++i) part->option(0).color2[i] = 0.0f;
        return part;
    }

    static uint32_t at(const Frame& f, uint32_t x, uint32_t y) {
        return f.argb[static_cast<size_t>(y) * f.width + x] & 0x00FFFFFF;
    }

    Frame frame_;
};

TEST_F(RendererDrawGolden, OverlappingBlendedQuadsDrawBackToFront) {
    // Registered near to far; the pass draws red (far) first and blue (near) last.
    auto blue = quad(0.5f, 0.3f, 2.0f, 0.8f, 0x800000FF, 1);
    auto green = quad(0.0f, 0.0f, 4.0f, 0.8f, 0x8000FF00, 1);
    auto red = quad(-0.5f, -0.3f, 6.0f, 0.8f, 0x80FF0000, 1);
    const Frame f = draw({&blue->part(), &green->part(), &red->part()});
    ASSERT_EQ(f.width, kWidth);
    // Where all three overlap, blue was blended last and dominates.
    const uint32_t centre = at(f, kWidth / 2, kHeight / 2);
    EXPECT_GT(centre & 0xFF, (centre >> 16) & 0xFF) << std::hex << centre;
    EXPECT_TRUE(matchesGolden(f, "render3d", "zsd_blended_quads"));
}

TEST_F(RendererDrawGolden, SkinnedBoxWithOutline) {
    const LMat world = rotation(0, 20.0f) * rotation(1, 35.0f) * translation(0, -0.2f, 5.0f);
    // The upper bone bends 25 degrees about z through the box's middle.
    const LMat bent = rotation(2, 25.0f) * world;
    PartBuilder box({world, world, bent});
    PieceSpec spec = skinnedBox(0.7f);
    spec.edgeWidth = 0.03f;
    box.add(spec, device_.get());
    for (int i = 0; i < 4; ++i) box.option(0).color2[i] = 0.2f;
    box.option(0).edgeColor[3] = 1.0f;  // black outline
    const Frame f = draw({&box.part()});
    ASSERT_EQ(f.width, kWidth);
    EXPECT_TRUE(matchesGolden(f, "render3d", "outline_skinned_box"));
}

TEST_F(RendererDrawGolden, BlendTypesOverACheckerBackground) {
    // The checker: 8 x 6 opaque squares far behind.
    const float far[3] = {0, 0, 9};
    PartBuilder checker({LMat::Identity()}, far);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const float x0 = -2.0f + 0.5f * static_cast<float>(x);
            const float y0 = -1.5f + 0.5f * static_cast<float>(y);
            checker.add(quadPiece(x0, y0, x0 + 0.5f, y0 + 0.5f, 9.0f,
                                  (x + y) % 2 ? 0xFFE0E0E0 : 0xFF404040),
                        device_.get());
        }
    // Types 1 to 13 in rows of five, half-transparent orange.
    std::vector<std::unique_ptr<PartBuilder>> quads;
    std::vector<L3DPartDraw*> parts = {&checker.part()};
    for (uint32_t type = 1; type <= 13; ++type) {
        const uint32_t i = type - 1;
        quads.push_back(quad(-1.6f + 0.8f * static_cast<float>(i % 5),
                             1.0f - 1.0f * static_cast<float>(i / 5), 5.0f, 0.3f, 0x80FF8020,
                             type));
        parts.push_back(&quads.back()->part());
    }
    const Frame f = draw(parts);
    ASSERT_EQ(f.width, kWidth);
    EXPECT_TRUE(matchesGolden(f, "render3d", "blend_types_checker"));
}

}  // namespace
}  // namespace tessera::test

// Golden images of effects played by the effect task beside a model part (160 x 120 frames of
// the software device with the built shader set): drawn at once in batches around an opaque
// part, and through the depth-sorted pass around a blended one, each at frames 1, 15 and 30.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/effects/effect_draw_fixture.h"
#include "tests/effects/timeline_fixture.h"
#include "tests/render3d/support/matrices.h"
#include "tests/render3d/support/part_builder.h"

namespace tessera::test {
namespace {

using tools::writers::EffectData;
using tools::writers::EffectDefinition;
using tools::writers::EffectEvent;
using tools::writers::EffectImageDef;
using tools::writers::EffectRoot;

constexpr uint32_t kWidth = 160, kHeight = 120;
constexpr int kFrames[] = {1, 15, 30};

// A soft white disc of 16 x 16 texels, opaque in the middle and clear at the rim, its colour
// fading with its alpha so that the blend modes that ignore alpha show a disc too.
std::vector<uint32_t> discTexture() {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const float dx = (static_cast<float>(x) - 7.5f) / 7.5f;
            const float dy = (static_cast<float>(y) - 7.5f) / 7.5f;
            const float alpha = std::clamp(1.2f - std::sqrt(dx * dx + dy * dy), 0.0f, 1.0f);
            const auto a = static_cast<uint32_t>(alpha * 255.0f);
            const auto g = static_cast<uint32_t>(alpha * (200.0f + 55.0f * (1.0f - std::abs(dy))));
            pixels.push_back(a << 24 | a << 16 | g << 8 | (a * 15 / 16));
        }
    return pixels;
}

// Definitions on the disc: 0 orange with blend 1, 1 blue-green with blend 8, 2 white with
// blend 0.
EffectDefinition discDefinition() {
    EffectDefinition definition;
    definition.imageOptions = {0};
    const std::array<float, 4> colours[] = {
        {1.0f, 0.6f, 0.2f, 1.0f}, {0.3f, 0.8f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}};
    const uint32_t blends[] = {1, 8, 0};
    for (int d = 0; d < 3; ++d) {
        EffectImageDef def;
        def.colour = colours[d];
        def.blend = blends[d];
        definition.imageDefs.push_back(def);
    }
    return definition;
}

// An event that turns the part by `degrees` about the axis every frame.
EffectEvent spin(float x, float y, float z, float degrees) {
    return event(0, 24, {F(x), F(y), F(z), F(degrees)});
}

// Root 0, drawn in batches: a growing camera-facing disc with three spinning children (a quad,
// a cross and three grids), the grids fading to red. Roots 1 and 2, drawn sorted: one turning
// disc each, tinted by their colour, with blend 0.
EffectData effects() {
    EffectData data;
    EffectRoot burst;
    burst.rootPart.events = {event(0, 3, {I(0), I(-4), I(0)}),
                             event(0, 18, {F(0.6f), F(0.6f), F(0.6f)}),
                             event(0, 19, {F(0.03f), F(0.03f), F(0.03f)}),
                             event(0, 2, {I(0)}),
                             event(0, 2, {I(1)}),
                             event(0, 2, {I(2)}),
                             event(100, 0)};
    burst.parts.resize(3);
    burst.parts[0].events = {
        event(0, 3, {I(1), I(-1), I(1)}), event(0, 13, {F(0.7f), F(0.1f), F(0.0f)}),
        event(0, 18, {F(0.6f), F(0.6f), F(0.6f)}), spin(0, 0, 1, 6.0f), event(100, 0)};
    burst.parts[1].events = {
        event(0, 3, {I(0), I(-2), I(1)}), event(0, 13, {F(-0.7f), F(0.3f), F(0.0f)}),
        event(0, 18, {F(0.7f), F(0.7f), F(0.7f)}), spin(0, 1, 0, 8.0f), event(100, 0)};
    burst.parts[2].events = {event(0, 3, {I(0), I(-3), I(2)}),
                             event(0, 13, {F(0.0f), F(-0.6f), F(0.0f)}),
                             event(0, 18, {F(0.6f), F(0.6f), F(0.6f)}),
                             spin(0.6f, 0.8f, 0, 5.0f),
                             event(0, 9, {F(0.0f), F(-0.02f), F(-0.03f), F(0.0f)}),
                             event(100, 0)};
    data.roots.push_back(burst);
    // Each disc drifts toward the other one and grows.
    const std::array<float, 5> discs[] = {{1.0f, 0.3f, 0.3f, 0.9f, 0.02f},
                                          {0.3f, 0.5f, 1.0f, 0.9f, -0.02f}};
    for (const std::array<float, 5>& disc : discs) {
        EffectRoot root;
        root.rootPart.events = {event(0, 3, {I(2), I(-1), I(0)}),
                                event(0, 8, {F(disc[0]), F(disc[1]), F(disc[2]), F(disc[3])}),
                                event(0, 18, {F(1.2f), F(1.2f), F(1.2f)}),
                                event(0, 19, {F(0.01f), F(0.01f), F(0.01f)}),
                                event(0, 14, {F(disc[4]), F(0.0f), F(0.0f)}),
                                spin(0, 0, 1, 3.0f),
                                event(100, 0)};
        data.roots.push_back(root);
    }
    return data;
}

class EffectGolden : public EffectDrawTest {
protected:
    void SetUp() override {
        EffectDrawTest::SetUp();
        clientWidth_ = kWidth;
        clientHeight_ = kHeight;
        // The eye at the origin looking along +z; x from -2 to 2 and y from -1.5 to 1.5 fill
        // the view, depth 0 to 10.
        createRenderer(LMat::Identity(), parallel43());
        const float light[3] = {-0.3f, -0.5f, -0.8f};
        renderer_.SetLightDir(light);
        setPropTextured(discDefinition(), 16, discTexture());
        data_ = loadData(effects());
    }

    void play(uint32_t root, float x, float y, float z, float scale = 1.0f) {
        const float position[3] = {x, y, z}, rotation[4] = {0, 0, 0, 1};
        const float scales[3] = {scale, scale, scale};
        manager_.PlayAt(nullptr, nullptr, data_, root, L3DEffectEndless, position, rotation,
                        scales);
    }

    // Runs the effect task up to each golden frame and compares the frame drawn there.
    template <class DrawFn>
    void expectFrames(const std::string& name, DrawFn draw) {
        int frame = 0;
        for (int golden : kFrames) {
            for (; frame < golden; ++frame) manager_.Task();
            const Frame f = present(draw);
            ASSERT_EQ(f.width, kWidth);
            EXPECT_TRUE(matchesGolden(f, "effects", name + "_" + std::to_string(golden)));
        }
    }
};

TEST_F(EffectGolden, BatchedEffectsAroundAnOpaqueModelPart) {
    // The model part: an opaque grey square at depth 5 that writes depth; one burst plays in
    // front of it, one behind it (hidden where the square covers it).
    const float centre[3] = {0, 0, 5};
    PartBuilder square({LMat::Identity()}, centre);
    square.add(quadPiece(-0.9f, -0.7f, 0.9f, 0.7f, 5.0f, 0xFF707880), device_.get());
    play(0, -0.9f, 0.3f, 4.0f);
    play(0, 1.0f, -0.4f, 6.0f, 1.2f);
    expectFrames("batched", [&] {
        const float white[4] = {1, 1, 1, 1};
        std::vector<L3DPartDraw*> parts = {&square.part()};
        renderer_.DrawObjectInstance(parts, white, white, 0);
        manager_.Draw(0);
    });
}

TEST_F(EffectGolden, SortedEffectsAroundABlendedModelPart) {
    // The model part: a half-transparent green square at depth 5 in the sorted pass; a red disc
    // lies behind it and a blue one in front, so the pass draws red, green, blue.
    const float centre[3] = {0, 0, 5};
    PartBuilder square({LMat::Identity()}, centre);
    PieceSpec spec = quadPiece(-0.8f, -0.8f, 0.8f, 0.8f, 5.0f, 0x9040D040);
    spec.blendType = 1;
    square.add(spec, device_.get());
    for (int i = 0; i < 4; ++i) square.option(0).color2[i] = 0.0f;
    play(1, -0.8f, 0.2f, 7.0f);
    play(2, 0.8f, -0.2f, 3.0f);
    expectFrames("sorted", [&] {
        const float white[4] = {1, 1, 1, 1};
        std::vector<L3DPartDraw*> parts = {&square.part()};
        manager_.Draw(L3DEffectManager::DrawSorted);
        renderer_.DrawObjectInstance(parts, white, white, 0);
        renderer_.DrawZsd();
    });
}

}  // namespace
}  // namespace tessera::test

// The layered sprite natives driven by compiled scripts on a test engine's sprite context.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/sprite_natives/native_support.h"
#include "tests/engine/sprite_natives/sprite_natives_fixture.h"

namespace tessera::test {
namespace {

using sprite_natives::idOf;

TEST_F(SpriteNativesTest, CreateOptionsApplyInOrder) {
    const ScriptObject result = run("create_options");
    ASSERT_EQ(result.getType(), OT_TABLE);

    const PEL_SPRITE* plain = sprite(result, u"plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->x, 10.0f);
    EXPECT_EQ(plain->y, 0.0f);
    EXPECT_EQ(plain->rect, nullptr);
    EXPECT_EQ(plain->parent, nullptr);
    EXPECT_EQ(plain->flags & (PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE),
              PEL_SPRITE_SHOWN | PEL_SPRITE_VISIBLE);

    // "base" copies every group, then "posX" replaces x alone.
    const PEL_SPRITE* base = sprite(result, u"base");
    const PEL_SPRITE* copy = sprite(result, u"copy");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->x, 20.0f);
    EXPECT_EQ(copy->y, 4.0f);
    EXPECT_EQ(copy->scaleX, 2.0f);
    EXPECT_EQ(copy->rotationZ, base->rotationZ);
    EXPECT_EQ(copy->blend, 2);
    EXPECT_EQ(copy->level, 1u);
    EXPECT_EQ(copy->red, 0.5f);
    EXPECT_EQ(copy->alpha, 0.25f);
    EXPECT_EQ(copy->scaling, 1);
    EXPECT_TRUE(copy->flags & PEL_SPRITE_MIRROR_X);
    EXPECT_EQ(result.getSlot(u"pos").getFloat(u"x"), 20.0f);
    EXPECT_TRUE(result.getSlot(u"reverse").getBool(u"x"));
    EXPECT_FALSE(result.getSlot(u"reverse").getBool(u"y"));

    // "baseBase" leaves position, scale and rotation at their defaults.
    const PEL_SPRITE* layout = sprite(result, u"layout");
    EXPECT_EQ(layout->x, 0.0f);
    EXPECT_EQ(layout->scaleX, 1.0f);
    EXPECT_EQ(layout->rotationZ, 0.0f);
    EXPECT_EQ(layout->blend, 2);
    EXPECT_EQ(layout->level, 1u);

    // Degrees in, radians stored, degrees out; a tiny angle stores 0 and clears its flag.
    EXPECT_NEAR(base->rotationZ, 30.0f * 0.017453292f, 1e-6f);
    EXPECT_NEAR(result.getFloat(u"baseDegrees"), 30.0f, 1e-4f);
    const PEL_SPRITE* tiny = sprite(result, u"tiny");
    EXPECT_EQ(tiny->rotationZ, 0.0f);
    EXPECT_FALSE(tiny->flags & PEL_SPRITE_ROTATE_Z);
    EXPECT_EQ(result.getFloat(u"tinyDegrees"), 0.0f);
}

TEST_F(SpriteNativesTest, TransformArrayMovesBeforeThePosition) {
    const ScriptObject result = run("create_options");
    EXPECT_TRUE(result.getBool(u"noTransform"));
    const ScriptObject after = result.getSlot(u"after");
    ASSERT_EQ(after.size(), 12);
    const float expected[12] = {1, 0, 0, 5, 0, 1, 0, 7, 0, 0, 1, 0};
    for (int32_t k = 0; k < 12; ++k) EXPECT_EQ(after.getFloatAtOr(k, -1.0f), expected[k]) << k;

    PEL_SPRITE* moved = sprite(result, u"moved");
    EXPECT_EQ(moved->transform[3][0], 5.0f);
    EXPECT_EQ(moved->transform[3][1], 7.0f);
    pelSpriteUpdate(engine_->spriteContext());
    EXPECT_EQ(moved->state.matrix[3][0], 6.0f);
    EXPECT_EQ(moved->state.matrix[3][1], 9.0f);
}

TEST_F(SpriteNativesTest, RectsClampAndReleasedChildrenLiveOnTheirParent) {
    const ScriptObject result = run("lifetimes");
    ASSERT_EQ(result.getType(), OT_TABLE);
    EXPECT_EQ(result.getSlot(u"size").getInt(u"width"), 64);
    EXPECT_EQ(result.getSlot(u"size").getInt(u"height"), 64);
    const PEL_SPRITE_RECT* wide = handles().rects.find(idOf(result.getUserPointer(u"wide")));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->width, 64u);
    EXPECT_TRUE(result.getBool(u"holderRect"));

    // The released child's id is stale at once, yet the parent keeps the child.
    EXPECT_EQ(result.getFloat(u"staleX"), 0.0f);
    const std::string id = std::to_string(idOf(result.getUserPointer(u"held")));
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, u"[] Script Error: invalid sprite(" +
                                                 std::u16string(id.begin(), id.end()) + u")"));
    EXPECT_EQ(handles().sprites.find(idOf(result.getUserPointer(u"held"))), nullptr);
    PEL_SPRITE* parent = sprite(result, u"holder");
    ASSERT_NE(parent, nullptr);
    ASSERT_EQ(parent->visibleChildren.count, 1u);
    auto* child = static_cast<PEL_SPRITE*>(pelListFirst(&parent->visibleChildren));
    EXPECT_EQ(child->scriptCount, 0);
    EXPECT_EQ(child->rect, wide);
}

std::u16string widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

TEST_F(SpriteNativesTest, WrongKindsStaleIdsAndFailedCreationsAreReported) {
    pelReportSetExitHook([](int32_t) {});  // fatal reports return, so the script goes on
    const ScriptObject result = run("failures");
    ASSERT_EQ(result.getType(), OT_TABLE);
    const std::u16string sprite = widen(std::to_string(idOf(result.getUserPointer(u"s"))));
    const std::u16string image = widen(std::to_string(idOf(result.getUserPointer(u"image"))));
    const std::u16string bad = u"[] Script Error: invalid ";
    // A sprite id names no rect, an image id no renderer; the renderer takes its sprites' ids.
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, bad + u"sprite rect(" + sprite + u")"));
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, bad + u"sprite renderer(" + image + u")"));
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, bad + u"sprite(" + sprite + u")"));
    // Creations over those ids fail with their texts, tagged with the native's own name.
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, bad + u"sprite image(" + sprite + u")"));
    const std::u16string failures[][2] = {
        {u"spriteCreate", u"スプライトの作成に失敗しました"},
        {u"spriteRectCreate", u"矩形の作成に失敗しました"},
        {u"spriteRectTextFormatCreate", u"テキスト書式の作成に失敗しました"},
    };
    for (const auto& [native, text] : failures) {
        EXPECT_TRUE(
            reported(PEL_REPORT_ERROR, u"Error: [`anonymous-namespace'::" + native + u"] " + text))
            << std::string(native.begin(), native.end());
    }
    EXPECT_EQ(result.getUserPointer(u"forged"), nullptr);
    EXPECT_EQ(result.getUserPointer(u"loaded"), nullptr);
    // The load names the path resolved against the script's folder.
    const std::u16string load =
        u"Error: [`anonymous-namespace'::spriteImageLoad] "
        u"スプライトイメージの読み込みに失敗しました(";
    bool loadReported = false;
    for (const auto& entry : ReportCapture::entries()) {
        loadReported |= entry.level == PEL_REPORT_ERROR && entry.text.starts_with(load) &&
                        entry.text.ends_with(u"/fixtures/Missing.png)");
    }
    EXPECT_TRUE(loadReported);
}

// The gamma table entry of a format of gamma g for coverage i.
uint8_t gammaEntry(float g, int i) {
    const int w = static_cast<int>(std::pow(i / 255.0, 1.0 / g) * 255.0 + 0.5);
    return static_cast<uint8_t>(w < 1 ? 0 : (w >= 255 ? 255 : w));
}

TEST_F(SpriteNativesTest, TextFormatsDefaultToGammaOneAndAHalfAndQueuedTextFlushes) {
    startFont();
    const ScriptObject result = run("text");
    ASSERT_EQ(result.getType(), OT_TABLE);
    const PEL_SPRITE_TEXT_FORMAT* plain =
        handles().formats.find(idOf(result.getUserPointer(u"plain")));
    const PEL_SPRITE_TEXT_FORMAT* linear =
        handles().formats.find(idOf(result.getUserPointer(u"linear")));
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(linear, nullptr);
    for (int i : {1, 64, 128, 200}) {
        EXPECT_EQ(plain->gamma[i], gammaEntry(1.5f, i)) << i;
        EXPECT_EQ(linear->gamma[i], gammaEntry(1.0f, i)) << i;
    }
    EXPECT_EQ(plain->color[0], 1.0f);
    EXPECT_TRUE(result.getBool(u"queued"));
    EXPECT_FALSE(result.getBool(u"pending"));
    EXPECT_GT(result.getSlot(u"drawn").getInt(u"width"), 0);
}

}  // namespace
}  // namespace tessera::test

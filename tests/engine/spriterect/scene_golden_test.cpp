// The older sprite layer as a player sees it: a scene built by a script, drawn by the engine's
// frame and compared, as presented, with a reviewed golden.
#include <gtest/gtest.h>

#include "tests/engine/spriterect/rect_engine_fixture.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

// 32 x 32: red rising to the right, green rising downwards, a white square near the top-left
// corner (so mirroring and rotation show), the corners outside a circle transparent.
uint32_t photoColour(uint32_t x, uint32_t y) {
    const float dx = static_cast<float>(x) - 15.5f;
    const float dy = static_cast<float>(y) - 15.5f;
    if (dx * dx + dy * dy > 16.5f * 16.5f) return 0x00000000u;
    if (x >= 6 && x < 12 && y >= 6 && y < 12) return 0xFFFFFFFFu;
    return 0xFF000060u | (x * 8) << 16 | (y * 8) << 8;
}

class SceneGoldenTest : public RectEngineTest {
protected:
    // The photo as a colour PNG and, as loaded textures take their alpha, a grey PNG
    // "<name>_a" beside it.
    void prepareFiles() override {
        PngSpec colour;
        PngSpec alpha;
        colour.width = colour.height = alpha.width = alpha.height = 32;
        alpha.colorType = 0;
        for (uint32_t y = 0; y < 32; ++y)
            for (uint32_t x = 0; x < 32; ++x) {
                const uint32_t argb = photoColour(x, y);
                for (int shift : {16, 8, 0}) colour.samples.push_back((argb >> shift) & 0xFF);
                alpha.samples.push_back(argb >> 24);
            }
        writeBesideExecutable("sprites/photo.png", pngFile(colour));
        writeBesideExecutable("sprites/photo_a.png", pngFile(alpha));
    }
};

TEST_F(SceneGoldenTest, ImagesRectsAndTextMatchTheGolden) {
    // The photo loads by name, resolved against the script folder as the engines resolve it.
    SpriteRectImage* photo = layer().createImage(u"sprites/", u"photo");
    ASSERT_TRUE(photo->texture);
    EXPECT_EQ(photo->width, 32u);
    EXPECT_EQ(photo->dynamic, 0u);
    share(u"photo", photo);
    share(u"canvas", layer().createDynamicImage(128, 40));
    SpriteRectFont* font = layer().createFont(16);
    ASSERT_NE(font, nullptr);
    share(u"font", font);
    share(u"renderer", layer().createRenderer(160, 120, 3));

    const ScriptObject result = run("scene");
    ASSERT_EQ(result.getType(), OT_TABLE);
    // Two lines of text measure two line heights.
    EXPECT_EQ(result.getSlot(u"size").getInt(u"height"), 2 * font->glyphs->lineHeight);
    EXPECT_GT(result.getSlot(u"size").getInt(u"width"), 16 * 5);

    drawFrame();
    ASSERT_EQ(presented_.width, 160u);
    ASSERT_EQ(presented_.height, 120u);
    // The software device draws the same pixels everywhere: a channel may stray by 2 at most.
    EXPECT_TRUE(
        matchesGolden(presented_, "engine/spriterect", "scene", GoldenTolerance::within(2)));
}

}  // namespace
}  // namespace tessera::test

// The older sprite layer's natives driven by compiled scripts: spriteCreateRect's option order,
// every setter's rebuild flag and read-back, and ids that name nothing.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/engine/spriterect/rect_engine_fixture.h"

namespace tessera::test {
namespace {

constexpr float kRightAngle = 90.0f * 0.017453292f;

class RectNativesTest : public RectEngineTest {
protected:
    void SetUp() override {
        RectEngineTest::SetUp();
        renderer_ = layer().createRenderer(640, 480, 4);
        image_ = loadedImage(64, 32, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
        share(u"renderer", renderer_);
        share(u"image", image_);
    }

    SpriteRectRenderer* renderer_ = nullptr;
    SpriteRectImage* image_ = nullptr;
};

// Whether the rect stands in its level's list.
bool inLevel(const SpriteRect* rect) {
    for (const SpriteRect* r = rect->renderer->levels[rect->level].first; r; r = r->nextInLevel)
        if (r == rect) return true;
    return false;
}

struct RectFields {
    const char16_t* name;
    int32_t level;
    std::array<int32_t, 4> map;  // x, y, width, height
    std::array<int32_t, 2> pivot;
    std::array<int32_t, 4> draw;
    float rotation;
    int32_t blend;
};

TEST_F(RectNativesTest, CreateOptionsApplyInTheirOrder) {
    const ScriptObject result = run("create_options");
    ASSERT_EQ(result.getType(), OT_TABLE);
    const RectFields cases[] = {
        // An empty table: the whole image at its logical size, at (0, 0), in level 0.
        {u"plain", 0, {0, 0, 64, 32}, {0, 0}, {0, 0, 64, 32}, 0.0f, 0},
        {u"nullBase", 0, {0, 0, 64, 32}, {0, 0}, {0, 0, 64, 32}, 0.0f, 0},
        {u"base", 2, {4, 2, 20, 10}, {3, 5}, {7, 9, 30, 40}, kRightAngle, 1},
        // The copy comes first; "drawX" replaces the draw x alone.
        {u"copy", 2, {4, 2, 20, 10}, {3, 5}, {100, 9, 30, 40}, kRightAngle, 1},
        // An unset draw size takes the map size.
        {u"mapOnly", 0, {0, 0, 16, 32}, {0, 0}, {0, 0, 16, 32}, 0.0f, 0},
        // The single groups override "base"; the draw rectangle stays the base's.
        {u"groups", 1, {1, 1, 2, 2}, {1, 1}, {7, 9, 30, 40}, kRightAngle, 3},
        // "baseDraw" brings the rotation and marks the size set; "drawHeight" follows it.
        {u"drawGroup", 3, {0, 0, 64, 32}, {0, 0}, {7, 9, 30, 5}, kRightAngle, 0},
        // Levels outside the renderer's four slots are clamped into them.
        {u"below", 0, {0, 0, 64, 32}, {0, 0}, {0, 0, 64, 32}, 0.0f, 0},
        {u"above", 3, {0, 0, 64, 32}, {0, 0}, {0, 0, 64, 32}, 0.0f, 0},
    };
    for (const RectFields& c : cases) {
        const SpriteRect* r = rect(result, c.name);
        ASSERT_NE(r, nullptr);
        const std::string name(c.name, c.name + std::char_traits<char16_t>::length(c.name));
        EXPECT_EQ(r->level, c.level) << name;
        EXPECT_TRUE(inLevel(r)) << name;
        EXPECT_EQ((std::array{r->mapX, r->mapY, r->mapWidth, r->mapHeight}), c.map) << name;
        EXPECT_EQ((std::array{r->pivotX, r->pivotY}), c.pivot) << name;
        EXPECT_EQ((std::array{r->drawX, r->drawY, r->drawWidth, r->drawHeight}), c.draw) << name;
        EXPECT_EQ(r->rotation, c.rotation) << name;
        EXPECT_EQ(r->blend, c.blend) << name;
        EXPECT_EQ(r->flags, 0x61u) << name;
        EXPECT_EQ(r->image, image_) << name;
    }

    // Degrees in, radians stored, degrees out.
    EXPECT_EQ(rect(result, u"rotated")->rotation, kRightAngle);
    EXPECT_NEAR(result.getFloat(u"degrees"), 90.0f, 1e-4f);
    EXPECT_NEAR(result.getFloat(u"baseDegrees"), 90.0f, 1e-4f);

    const ScriptObject tables = result.getSlot(u"tables");
    const struct {
        const char16_t* getter;
        const char16_t* slots;
    } getters[] = {
        {u"pivotPos", u"x=3,y=5"},
        {u"drawPos", u"x=7,y=9"},
        {u"drawSize", u"height=40,width=30"},
        {u"drawPosSize", u"height=40,width=30,x=7,y=9"},
        {u"mapPos", u"x=4,y=2"},
        {u"mapSize", u"height=10,width=20"},
        {u"mapPosSize", u"height=10,width=20,x=4,y=2"},
        {u"imageSize", u"height=32,width=64"},
        {u"rendererSize", u"height=480,width=640"},
    };
    for (const auto& g : getters) {
        EXPECT_EQ(std::u16string(tables.getString(g.getter)), g.slots)
            << std::string(g.getter, g.getter + std::char_traits<char16_t>::length(g.getter));
    }
}

TEST_F(RectNativesTest, SettersStoreMarkTheirRebuildAndReadBack) {
    const ScriptObject result = run("setters");
    SpriteRect* subject = rect(result, u"rect");
    ASSERT_NE(subject, nullptr);
    const int32_t count = result.getInt(u"count");
    int32_t steps = 0;
    spriteRectUpdateVertices(*subject);
    for (ScriptObject step = resume(); !step.isNull() && steps <= count; step = resume()) {
        ++steps;
        const std::u16string name = step.getString(u"name");
        const std::string label(name.begin(), name.end());
        EXPECT_TRUE(step.getBool(u"ok")) << label;
        EXPECT_EQ(subject->flags & 0x60u, static_cast<uint32_t>(step.getInt(u"dirty"))) << label;
        if (name == u"enable") {
            EXPECT_EQ(subject->flags & SPRITE_RECT_ENABLED, 0u);
        }
        spriteRectUpdateVertices(*subject);
    }
    EXPECT_EQ(steps, count);

    EXPECT_EQ(subject->flags,
              SPRITE_RECT_ENABLED | SPRITE_RECT_DRAW_REVERSE_Y | SPRITE_RECT_MAP_REVERSE_X);
    EXPECT_EQ(subject->level, 2);
    EXPECT_EQ(renderer_->firstLevel, 2);
    EXPECT_EQ(subject->blend, 2);
    EXPECT_EQ(subject->rotation, -45.0f * 0.017453292f);
    for (const L3D_RENDERER_VERTEX& v : subject->vertices) EXPECT_EQ(v.color, 0x40FF8000u);
    // The texture coordinates were rebuilt from the last map rectangle, mirrored in x.
    EXPECT_FLOAT_EQ(subject->vertices[0].u, 20.0f / 64.0f);
    EXPECT_FLOAT_EQ(subject->vertices[3].u, 9.0f / 64.0f);
    EXPECT_FLOAT_EQ(subject->vertices[0].v, 10.0f / 32.0f);
}

TEST_F(RectNativesTest, IdsThatNameNothingAreReportedAndChangeNothing) {
    SpriteRectRenderer* doomed = layer().createRenderer(160, 120, 1);
    SpriteRectImage* shown = layer().createDynamicImage(8, 8);
    void* doomedHandle = spriteRectHandle(doomed);  // the script releases the renderer
    shareHandle(u"doomed", doomedHandle);
    share(u"shown", shown);
    // Slot 4095 of a table: no table here has that many.
    void* forged = reinterpret_cast<void*>(uintptr_t{0x00010FFF});
    shareHandle(u"forged", forged);

    const ScriptObject result = run("stale");
    ASSERT_EQ(result.getType(), OT_TABLE);
    for (const char16_t* zero :
         {u"goneLevel", u"goneSize", u"orphanX", u"shownSize", u"doomedSize", u"imageAsRect",
          u"rectAsImage", u"forgedX", u"forgedBase", u"text"}) {
        EXPECT_EQ(result.getInt(zero), 0)
            << std::string(zero, zero + std::char_traits<char16_t>::length(zero));
    }
    EXPECT_EQ(result.getUserPointer(u"forgedRect"), nullptr);
    EXPECT_EQ(result.getInt(u"keptX"), 5);

    const std::u16string bad = u"[] Script Error: invalid ";
    const struct {
        const char16_t* kind;
        void* handle;
    } reports[] = {
        {u"sprite rect(", result.getUserPointer(u"gone")},
        {u"sprite rect(", result.getUserPointer(u"orphan")},
        {u"sprite rect(", spriteRectHandle(image_)},
        {u"sprite rect(", forged},
        {u"sprite image(", spriteRectHandle(shown)},
        {u"sprite image(", result.getUserPointer(u"kept")},
        {u"sprite image(", forged},
        {u"sprite font(", forged},
        {u"sprite font(", spriteRectHandle(image_)},
        {u"sprite renderer(", doomedHandle},
    };
    for (const auto& r : reports) {
        const std::u16string text = bad + r.kind + idText(r.handle) + u")";
        EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, text)) << std::string(text.begin(), text.end());
    }

    // The released image stays while its rect shows it, and the frame draws from it.
    const SpriteRect* showing = rect(result, u"showing");
    ASSERT_NE(showing, nullptr);
    EXPECT_TRUE(showing->image->released);
    EXPECT_EQ(layer().firstImage(), image_);
    EXPECT_EQ(image_->next, nullptr);
    drawFrame();
}

}  // namespace
}  // namespace tessera::test

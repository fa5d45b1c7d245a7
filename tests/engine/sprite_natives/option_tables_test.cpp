// What each "base…" option of spriteCreate copies, the "animation" option, and the slot names
// of every getter that answers with a table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "engine/sprite_natives/native_support.h"
#include "tests/engine/sprite_natives/sprite_natives_fixture.h"
#include "tests/framework/sprite/support/animation_builder.h"

namespace tessera::test {
namespace {

using sprite_natives::idOf;

// A test renderer with four levels and an animation on it, shared with the scripts as
// testRenderer and testAnimation. The animation moves x along 0, 10, 20, ... one unit of time
// per update at speed 1.
class SpriteOptionTest : public SpriteNativesTest {
protected:
    void SetUp() override {
        SpriteNativesTest::SetUp();
        renderer_ = pelSpriteRendererCreate(engine_->spriteContext(), 160, 120, 4);
        ASSERT_NE(renderer_, nullptr);
        animation_ =
            AnimationBuilder().key(1, 100, 1, {{0, 1000, 0, 0}, {0, 0, 0, 0}}).build(renderer_);
        ASSERT_NE(animation_, nullptr);
        share(u"testRenderer", &SpriteHandles::renderers, renderer_);
        share(u"testAnimation", &SpriteHandles::animations, animation_);
    }

    PEL_SPRITE_RENDERER* renderer_ = nullptr;
    PEL_SPRITE_ANIMATION* animation_ = nullptr;
};

// The options, in the bit order of Field::copiedBy.
const char16_t* const kBaseOptions[] = {u"base",      u"baseBase",     u"basePos",
                                        u"baseScale", u"baseRotation", u"baseAnimation"};
enum : unsigned { kBase = 1, kBaseBase = 2, kPos = 4, kScale = 8, kRotation = 16, kAnimation = 32 };

struct Field {
    const char* name;
    unsigned copiedBy;
    std::function<bool(const PEL_SPRITE&, const PEL_SPRITE&)> same;
};

bool sameFlags(const PEL_SPRITE& a, const PEL_SPRITE& b, uint32_t flags) {
    return (a.flags & flags) == (b.flags & flags);
}

TEST_F(SpriteOptionTest, EachBaseOptionCopiesItsGroupOnly) {
    const ScriptObject result = run("copies");
    ASSERT_EQ(result.getType(), OT_TABLE);
    const PEL_SPRITE* source = sprite(result, u"source");
    ASSERT_NE(source, nullptr);
    ASSERT_NE(source->parent, nullptr);
    ASSERT_EQ(source->animation, animation_);
    const unsigned layout = kBase | kBaseBase;
    const Field fields[] = {
        {"rect", layout, [](auto& a, auto& b) { return a.rect == b.rect; }},
        {"parent", layout, [](auto& a, auto& b) { return a.parent == b.parent; }},
        {"level", layout, [](auto& a, auto& b) { return a.level == b.level; }},
        {"show", layout, [](auto& a, auto& b) { return sameFlags(a, b, PEL_SPRITE_SHOWN); }},
        {"position", kBase | kPos, [](auto& a, auto& b) { return a.x == b.x && a.y == b.y; }},
        {"scale", kBase | kScale,
         [](auto& a, auto& b) { return a.scaleX == b.scaleX && a.scaleY == b.scaleY; }},
        {"scaling", layout | kScale, [](auto& a, auto& b) { return a.scaling == b.scaling; }},
        {"rotations", kBase | kRotation,
         [](auto& a, auto& b) {
             return a.rotationX == b.rotationX && a.rotationY == b.rotationY &&
                    a.rotationZ == b.rotationZ &&
                    sameFlags(a, b,
                              PEL_SPRITE_ROTATE_X | PEL_SPRITE_ROTATE_Y | PEL_SPRITE_ROTATE_Z);
         }},
        {"blend", layout, [](auto& a, auto& b) { return a.blend == b.blend; }},
        {"alpha test", layout,
         [](auto& a, auto& b) {
             return a.alphaTest == b.alphaTest && a.alphaReference == b.alphaReference;
         }},
        {"colour", layout,
         [](auto& a, auto& b) {
             return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
         }},
        {"mirror", layout,
         [](auto& a, auto& b) {
             return sameFlags(a, b, PEL_SPRITE_MIRROR_X | PEL_SPRITE_MIRROR_Y);
         }},
        {"transform", layout,
         [](auto& a, auto& b) {
             return sameFlags(a, b, PEL_SPRITE_TRANSFORM) &&
                    std::memcmp(a.transform, b.transform, sizeof a.transform) == 0;
         }},
        {"rect mirror", layout,
         [](auto& a, auto& b) {
             return sameFlags(a, b, PEL_SPRITE_RECT_MIRROR_U | PEL_SPRITE_RECT_MIRROR_V);
         }},
        {"animation", kBase | kAnimation,
         [](auto& a, auto& b) {
             return a.animation == b.animation && a.animationSpeed == b.animationSpeed;
         }},
    };
    const ScriptObject copies = result.getSlot(u"copies");
    for (unsigned option = 0; option < std::size(kBaseOptions); ++option) {
        const PEL_SPRITE* copy = sprite(copies, kBaseOptions[option]);
        ASSERT_NE(copy, nullptr);
        const std::u16string name = kBaseOptions[option];
        for (const Field& field : fields) {
            EXPECT_EQ(field.same(*copy, *source), (field.copiedBy & (1u << option)) != 0)
                << std::string(name.begin(), name.end()) << " copying " << field.name;
        }
    }
    // The source and the four sprites that copied the animation hold a reference each.
    EXPECT_EQ(animation_->internalCount, 5);
    EXPECT_EQ(animation_->scriptCount, 1);
}

// A value option applies after the base whatever the table's order: it replaces its own field
// and leaves the rest of the copied group.
TEST_F(SpriteOptionTest, ValueOptionsFollowTheirBase) {
    const ScriptObject result = run("copies");
    ASSERT_EQ(result.getType(), OT_TABLE);
    const PEL_SPRITE& source = *sprite(result, u"source");
    struct Case {
        const char16_t* option;
        std::function<bool(const PEL_SPRITE&)> holds;
    };
    const Case cases[] = {
        {u"base", [&](auto& s) { return s.x == 20.0f && s.y == source.y; }},
        {u"baseBase", [&](auto& s) { return s.level == 1 && s.blend == source.blend; }},
        {u"basePos", [&](auto& s) { return s.y == 9.0f && s.x == source.x; }},
        {u"baseScale", [&](auto& s) { return s.scaleX == 5.0f && s.scaleY == source.scaleY; }},
        {u"baseRotation",
         [&](auto& s) {
             return std::abs(s.rotationZ - 90.0f * 0.017453292f) < 1e-6f &&
                    s.rotationX == source.rotationX;
         }},
        {u"baseAnimation",
         [&](auto& s) { return s.animationSpeed == 3.0f && s.animation == source.animation; }},
    };
    const ScriptObject overridden = result.getSlot(u"overridden");
    for (const Case& c : cases) {
        const PEL_SPRITE* copy = sprite(overridden, c.option);
        ASSERT_NE(copy, nullptr);
        const std::u16string name = c.option;
        EXPECT_TRUE(c.holds(*copy)) << std::string(name.begin(), name.end());
    }
}

TEST_F(SpriteOptionTest, AnimationOptionPlaysTheRecordAtItsSpeed) {
    pelReportSetExitHook([](int32_t) {});
    const ScriptObject result = run("animation");
    ASSERT_EQ(result.getType(), OT_TABLE);
    PEL_SPRITE* played = sprite(result, u"played");
    const PEL_SPRITE* nulled = sprite(result, u"nulled");
    const PEL_SPRITE* wrongKind = sprite(result, u"wrongKind");
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(played->animation, animation_);
    EXPECT_EQ(played->animationSpeed, 0.5f);
    // "base" copied the animation and its speed; a null option counts as absent and keeps them.
    EXPECT_EQ(nulled->animation, animation_);
    EXPECT_EQ(nulled->animationSpeed, 0.5f);
    // A sprite's id names no animation: reported, and the sprite plays nothing.
    EXPECT_EQ(wrongKind->animation, nullptr);
    const std::string id = std::to_string(idOf(result.getUserPointer(u"played")));
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, u"[] Script Error: invalid sprite animation(" +
                                                 std::u16string(id.begin(), id.end()) + u")"));
    EXPECT_EQ(animation_->internalCount, 2);

    // At half speed the key advances half a unit of time per update.
    const float expected[] = {0, 5, 10, 15};
    for (float x : expected) {
        pelSpriteRendererUpdate(renderer_);
        EXPECT_NEAR(played->x, x, 1e-4f);
    }
}

TEST_F(SpriteNativesTest, TableGettersNameTheirSlots) {
    const ScriptObject result = run("getters");
    ASSERT_EQ(result.getType(), OT_TABLE);
    struct Case {
        const char16_t* getter;
        const char16_t* slots;
    };
    const Case cases[] = {
        {u"spriteImageGetSize", u"height=16 width=48"},
        {u"spriteRectGetDrawedTextSize", u"height=0 width=0"},
        {u"spriteGetPos", u"x=3 y=4"},
        {u"spriteGetScale", u"x=2 y=0.5"},
        {u"spriteGetColor", u"blue=0.75 green=0.5 red=0.25"},
        {u"spriteIsReverse", u"x=true y=false"},
        {u"spriteIsRectReverse", u"x=false y=true"},
    };
    for (const Case& c : cases) {
        const std::u16string getter = c.getter;
        EXPECT_EQ(std::u16string(result.getString(c.getter)), c.slots)
            << std::string(getter.begin(), getter.end());
    }
}

}  // namespace
}  // namespace tessera::test

#include <cmath>
#include <string>
#include <vector>

#include "tests/framework/sprite/sprite_fixture.h"

namespace tessera::test {
namespace {

class TextTest : public SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        renderer = makeRenderer();
        image = pelSpriteImageCreateText(256, 256, context);
        rect = pelSpriteRectCreate(image, {renderer, 30, 40, 100, 60, 0, 0});
        backend.clear();
    }
    PEL_SPRITE_TEXT_FORMAT* makeFormat(float speed = 0, uint32_t flag = 0, int32_t drawX = 4,
                                       int32_t drawY = 2) {
        PEL_SPRITE_TEXT_FORMAT_DESC desc{};
        desc.flag = flag;
        desc.fontSize = 16;
        desc.gamma = 1.5f;
        desc.speed = speed;
        desc.red = 0.25f;
        desc.green = 0.5f;
        desc.blue = 0.75f;
        desc.drawX = drawX;
        desc.drawY = drawY;
        return pelSpriteTextFormatCreate(renderer, desc);
    }
    std::u16string drawnUnits() const {
        std::u16string out;
        for (const RecordingBackend::Glyph& glyph : backend.glyphs) out += glyph.unit;
        return out;
    }

    PEL_SPRITE_RENDERER* renderer = nullptr;
    PEL_SPRITE_IMAGE* image = nullptr;
    PEL_SPRITE_RECT* rect = nullptr;
};

TEST_F(TextTest, TextIsCopiedIntoPagesOf64Units) {
    backend.advance = 0;  // every character in the same place, all inside the rect
    PEL_SPRITE_TEXT_FORMAT* format = makeFormat();
    struct Case {
        size_t length;
        uint32_t pages;
    };
    for (const Case& c : {Case{0, 1}, Case{63, 1}, Case{64, 2}, Case{130, 3}}) {
        const std::u16string text(c.length, u'x');
        ASSERT_EQ(pelSpriteRectDrawText(rect, format, text.c_str()), PEL_OK);
        EXPECT_EQ(rect->pendingText->pages.count, c.pages) << c.length;
        auto* last = static_cast<PEL_SPRITE_TEXT_PAGE*>(
            pelListElement(&rect->pendingText->pages, rect->pendingText->pages.head.prev));
        EXPECT_EQ(last->units[c.length % 64], 0);
        backend.clear();
        pelSpriteRendererUpdate(renderer);
        EXPECT_EQ(backend.glyphs.size(), c.length);
        EXPECT_EQ(rect->pendingText, nullptr);  // done: the pending record is gone
    }
    EXPECT_EQ(renderer->pendingTexts.count, 0u);
    EXPECT_EQ(format->internalCount, 0);
}

TEST_F(TextTest, IntervalPacesCharactersAcrossUpdates) {
    pelSpriteRectDrawText(rect, makeFormat(2), u"abcde");
    std::vector<size_t> drawn;
    for (int update = 1; update <= 9; ++update) {
        pelSpriteRendererUpdate(renderer);
        drawn.push_back(backend.glyphs.size());
    }
    // Characters in updates 1, 2, 4, 6 and 8.
    EXPECT_EQ(drawn, (std::vector<size_t>{1, 2, 2, 3, 3, 4, 4, 5, 5}));
    EXPECT_EQ(drawnUnits(), u"abcde");
    EXPECT_EQ(rect->pendingText, nullptr);
}

TEST_F(TextTest, RendererSpeedScalesTheTextBudget) {
    pelSpriteRendererSetSpeed(renderer, 2.0f);
    EXPECT_EQ(renderer->textSpeed, 512u);
    pelSpriteRectDrawText(rect, makeFormat(1), u"abcde");
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(backend.glyphs.size(), 3u);
}

TEST_F(TextTest, ClearFlagsClearTheRectBeforeDrawing) {
    struct Case {
        uint32_t flag;
        std::vector<int> firstUpdate, secondUpdate;
    };
    const Case cases[] = {
        {1, {10, 12, 11}, {10, 19, 20, 21, 11}},
        {2, {10, 12, 19, 20, 21, 11}, {}},
        {0, {10, 19, 20, 21, 11}, {}},
    };
    for (const Case& c : cases) {
        pelSpriteRectDrawText(rect, makeFormat(0, c.flag), u"a");
        backend.clear();
        pelSpriteRendererUpdate(renderer);
        EXPECT_EQ(backend.slots(), c.firstUpdate) << "flag " << c.flag;
        backend.clear();
        pelSpriteRendererUpdate(renderer);
        EXPECT_EQ(backend.slots(), c.secondUpdate) << "flag " << c.flag;
    }
    ASSERT_EQ(backend.fills.size(), 0u);
    pelSpriteRectDrawText(rect, makeFormat(0, 3), u"");
    pelSpriteRendererUpdate(renderer);
    ASSERT_EQ(backend.fills.size(), 1u);
    const RecordingBackend::Fill& fill = backend.fills[0];
    EXPECT_EQ(std::vector<uint32_t>({fill.x, fill.y, fill.width, fill.height}),
              std::vector<uint32_t>({30, 40, 100, 60}));
    EXPECT_EQ(std::vector<float>(fill.rgba, fill.rgba + 4),
              std::vector<float>({0.25f, 0.5f, 0.75f, 0.0f}));
}

TEST_F(TextTest, LineFeedStartsANewLineAtTheDrawPosition) {
    pelSpriteRectDrawText(rect, makeFormat(), u"ab\nc");
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(rect->drawnWidth, 20u);
    EXPECT_EQ(rect->drawnHeight, 40u);
    ASSERT_EQ(backend.glyphs.size(), 3u);
    EXPECT_EQ(backend.glyphs[1].x, 30u + 14);
    EXPECT_EQ(backend.glyphs[2].unit, u'c');
    EXPECT_EQ(backend.glyphs[2].x, 30u + 4);
    EXPECT_EQ(backend.glyphs[2].y, 40u + 22);
    // The clip box runs to the rect's far corner.
    EXPECT_EQ(backend.glyphs[2].width, 100u - 4);
    EXPECT_EQ(backend.glyphs[2].height, 60u - 22);
}

TEST_F(TextTest, MarginsAddToAdvanceAndLineHeight) {
    PEL_SPRITE_TEXT_FORMAT_DESC desc{};
    desc.fontSize = 16;
    desc.marginX = 3;
    desc.marginY = 5;
    pelSpriteRectDrawText(rect, pelSpriteTextFormatCreate(renderer, desc), u"ab\nc");
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(backend.glyphs[1].x, 30u + 13);
    EXPECT_EQ(backend.glyphs[2].y, 40u + 25);
    EXPECT_EQ(rect->drawnWidth, 23u);
    EXPECT_EQ(rect->drawnHeight, 45u);
}

TEST_F(TextTest, ExtremeMarginsSaturateThePen) {
    PEL_SPRITE_TEXT_FORMAT_DESC desc{};
    desc.fontSize = 16;
    desc.marginX = INT32_MAX;
    desc.marginY = INT32_MAX;
    pelSpriteRectDrawText(rect, pelSpriteTextFormatCreate(renderer, desc), u"ab\nc\nd");
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(drawnUnits(), u"a");  // everything after the first moves out of the rect
    EXPECT_EQ(rect->pendingText, nullptr);
}

TEST_F(TextTest, FailingGlyphLeavesThePen) {
    backend.failingGlyph = u'X';
    pelSpriteRectDrawText(rect, makeFormat(), u"aXb");
    pelSpriteRendererUpdate(renderer);
    ASSERT_EQ(backend.glyphs.size(), 3u);
    EXPECT_EQ(backend.glyphs[2].x, 30u + 14);
    EXPECT_EQ(rect->drawnWidth, 20u);
}

TEST_F(TextTest, CharactersOutsideTheRectAreSkippedAndLeaveThePen) {
    PEL_SPRITE_RECT* narrow = pelSpriteRectCreate(image, {renderer, 0, 0, 25, 30, 0, 0});
    pelSpriteRectDrawText(narrow, makeFormat(), u"abcd\ne\nf");
    backend.clear();
    pelSpriteRendererUpdate(renderer);
    // c starts at 24 with one column left; d has none; f's line starts below the rect.
    EXPECT_EQ(drawnUnits(), u"abce");
    EXPECT_EQ(backend.glyphs[2].width, 1u);
    EXPECT_EQ(narrow->drawnWidth, 30u);
    EXPECT_EQ(narrow->drawnHeight, 40u);  // e's line; f's line never drew
    EXPECT_EQ(backend.count(19), 4);
}

TEST_F(TextTest, NewTextCancelsThePendingOneWithoutClearing) {
    PEL_SPRITE_TEXT_FORMAT* slow = makeFormat(1);
    --slow->scriptCount;  // kept by its pending text only
    pelSpriteRectDrawText(rect, slow, u"abc");
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(renderer->textFormats.count, 1u);
    pelSpriteRectDrawText(rect, makeFormat(), u"xy");
    EXPECT_EQ(renderer->textFormats.count, 1u);  // the slow format went with its text
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(drawnUnits(), u"abxy");  // a was free, b took the update's budget
    EXPECT_EQ(backend.count(12), 0);
    // A null format only cancels.
    pelSpriteRectDrawText(rect, makeFormat(1), u"abc");
    EXPECT_EQ(pelSpriteRectDrawText(rect, nullptr, u"abc"), PEL_OK);
    EXPECT_EQ(rect->pendingText, nullptr);
    EXPECT_EQ(renderer->pendingTexts.count, 0u);
}

TEST_F(TextTest, RedrawingWithTheFormatOfThePendingTextKeepsTheFormat) {
    PEL_SPRITE_TEXT_FORMAT* format = makeFormat(1);
    pelSpriteRectDrawText(rect, format, u"abc");
    --format->scriptCount;  // only the pending text holds it now
    EXPECT_EQ(pelSpriteRectDrawText(rect, format, u"xy"), PEL_OK);
    EXPECT_EQ(format->internalCount, 1);
    EXPECT_EQ(renderer->textFormats.count, 1u);
    pelSpriteRendererFlushTexts(renderer);
    EXPECT_EQ(drawnUnits(), u"xy");
    EXPECT_EQ(renderer->textFormats.count, 0u);  // gone with its last text
}

TEST_F(TextTest, FlushTextsDrawsEveryPendingTextToTheEnd) {
    PEL_SPRITE_RECT* other = pelSpriteRectCreate(image, {renderer, 0, 0, 100, 30, 0, 0});
    pelSpriteRectDrawText(rect, makeFormat(5, 1), u"abc");
    pelSpriteRectDrawText(other, makeFormat(5), u"de");
    pelSpriteRendererFlushTexts(renderer);
    EXPECT_EQ(drawnUnits(), u"abcde");
    EXPECT_EQ(renderer->pendingTexts.count, 0u);
    EXPECT_EQ(backend.count(12), 1);
}

TEST_F(TextTest, ReleasingARectCancelsItsText) {
    pelSpriteRectDrawText(rect, makeFormat(1), u"abc");
    pelSpriteRectRelease(rect);
    EXPECT_EQ(renderer->pendingTexts.count, 0u);
    pelSpriteRendererUpdate(renderer);
    EXPECT_EQ(backend.count(10), 0);
}

TEST_F(TextTest, FontsAreSharedBySizeAndFailuresCreateNoFormat) {
    makeFormat();
    makeFormat();
    EXPECT_EQ(backend.count(17), 1);
    EXPECT_EQ(backend.calls[0].args, "16 4");
    backend.failFontCreate = true;
    PEL_SPRITE_TEXT_FORMAT_DESC desc{};
    desc.fontSize = 30;
    EXPECT_EQ(pelSpriteTextFormatCreate(renderer, desc), nullptr);
    EXPECT_EQ(renderer->textFormats.count, 2u);
    EXPECT_EQ(context->fonts.count, 1u);
}

TEST_F(TextTest, GammaTableMapsCoverageToAlpha) {
    struct Case {
        float gamma;
        int coverage;
        uint8_t alpha;
    };
    const Case cases[] = {
        {1.0f, 0, 0},      {1.0f, 128, 128}, {1.0f, 255, 255}, {0.0f, 77, 77},  // 0: as 1
        {-2.0f, 200, 200}, {2.0f, 64, 128},  {2.0f, 1, 16},    {0.5f, 8, 0},    // below 1: 0
    };
    for (const Case& c : cases) {
        PEL_SPRITE_TEXT_FORMAT_DESC desc{};
        desc.fontSize = 16;
        desc.gamma = c.gamma;
        PEL_SPRITE_TEXT_FORMAT* format = pelSpriteTextFormatCreate(renderer, desc);
        EXPECT_EQ(format->gamma[c.coverage], c.alpha) << c.gamma << " " << c.coverage;
    }
}

}  // namespace
}  // namespace tessera::test

// The dialog geometry in units of U: the frame, the page area and every layout helper.
#include <gtest/gtest.h>

#include "framework/config/layout.h"

namespace {

void expectRect(const PEL_MSW_CONFIG_RECT& rect, int32_t x, int32_t y, int32_t width,
                int32_t height) {
    EXPECT_EQ(rect.x, x);
    EXPECT_EQ(rect.y, y);
    EXPECT_EQ(rect.width, width);
    EXPECT_EQ(rect.height, height);
}

TEST(ConfigLayout, ScaleRoundsTowardZero) {
    struct Case {
        int32_t unit, eighths, expected;
    };
    const Case cases[] = {{16, 4, 8},   {13, 4, 6}, {13, 54, 87}, {13, 98, 159},
                          {13, 14, 22}, {7, 1, 0},  {16, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(pelMswConfigScale(c.unit, c.eighths), c.expected)
            << c.unit << " x " << c.eighths << " / 8";
    }
}

TEST(ConfigLayout, FrameAtSixteenAndAtAnOddUnit) {
    const PEL_MSW_CONFIG_FRAME frame = pelMswConfigFrame(16);
    EXPECT_EQ(frame.clientWidth, 480);
    EXPECT_EQ(frame.clientHeight, 480);
    expectRect(frame.tab, 8, 8, 464, 424);
    expectRect(frame.ok, 248, 440, 108, 32);
    expectRect(frame.cancel, 364, 440, 108, 32);

    // U = 13: the margin is 6 and a button 87 wide; the buttons keep the margin to the
    // client's right and bottom edges and m between them.
    const PEL_MSW_CONFIG_FRAME odd = pelMswConfigFrame(13);
    EXPECT_EQ(odd.clientWidth, 390);
    expectRect(odd.tab, 6, 6, 378, 390 - 18 - 26);
    expectRect(odd.cancel, 390 - 6 - 87, 390 - 6 - 26, 87, 26);
    EXPECT_EQ(odd.cancel.x - (odd.ok.x + odd.ok.width), 6);
}

TEST(ConfigLayout, HelpersPlaceAndAdvanceTheRow) {
    PEL_MSW_CONFIG_LAYOUT layout = pelMswConfigInsetLayout(16, {10, 30, 400, 300});
    expectRect({layout.x, layout.y, layout.width, layout.height}, 18, 38, 384, 284);
    layout.indent = 16;

    expectRect(pelMswConfigPlaceLabel(&layout, 2), 34, 38, 368, 32);
    EXPECT_EQ(layout.row, 32);
    expectRect(pelMswConfigPlaceEdit(&layout), 34, 70, 368, 28);
    EXPECT_EQ(layout.row, 60);
    // The combo box's rectangle includes its list; the row moves by 2U only.
    expectRect(pelMswConfigPlaceCombo(&layout), 34, 98, 368, 196);
    EXPECT_EQ(layout.row, 92);
    expectRect(pelMswConfigPlaceCheck(&layout), 34, 130, 368, 16);
    EXPECT_EQ(layout.row, 108);
    // Sized buttons stand at the area's right edge whatever the indent.
    expectRect(pelMswConfigPlaceButton(&layout), 402 - 172, 146, 172, 32);
    EXPECT_EQ(layout.row, 140);

    const PEL_MSW_CONFIG_EDIT_BUTTON editButton = pelMswConfigPlaceEditButton(&layout);
    expectRect(editButton.edit, 34, 178, 402 - 80 - 34, 28);
    expectRect(editButton.button, 402 - 76, 178 + 28 - 32, 76, 32);
    EXPECT_EQ(layout.row, 172);

    // OK and cancel sit on the area's bottom edge and leave the row alone.
    const PEL_MSW_CONFIG_OK_CANCEL okCancel = pelMswConfigPlaceOkCancel(layout);
    expectRect(okCancel.cancel, 402 - 108, 38 + 284 - 32, 108, 32);
    expectRect(okCancel.ok, 402 - 108 - 8 - 108, 38 + 284 - 32, 108, 32);
    EXPECT_EQ(layout.row, 172);
}

TEST(ConfigLayout, KeyRowSharesTheWidthAndCentresTheEdits) {
    struct Case {
        int32_t unit, width;
    };
    // Widths that leave an even and an odd remainder for the two edits.
    const Case cases[] = {{16, 400}, {16, 401}, {13, 333}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "U " << c.unit << ", width " << c.width);
        PEL_MSW_CONFIG_LAYOUT layout{c.unit, 5, 7, c.width, 300, 0, 3};
        const PEL_MSW_CONFIG_KEY_ROW row = pelMswConfigPlaceKeyRow(&layout);
        const int32_t button = pelMswConfigScale(c.unit, 54);
        const int32_t gap = pelMswConfigScale(c.unit, 2);
        const int32_t editH = pelMswConfigScale(c.unit, 14);
        expectRect(row.button1, 5, 10, button, 2 * c.unit);
        EXPECT_EQ(row.edit1.x, 5 + button + gap);
        EXPECT_EQ(row.button2.x - (row.edit1.x + row.edit1.width), pelMswConfigScale(c.unit, 4));
        EXPECT_EQ(row.edit2.x, row.button2.x + button + gap);
        EXPECT_EQ(row.edit1.width, row.edit2.width);
        const int32_t slack = 5 + c.width - (row.edit2.x + row.edit2.width);
        EXPECT_GE(slack, 0);
        EXPECT_LE(slack, 1);
        for (const PEL_MSW_CONFIG_RECT* edit : {&row.edit1, &row.edit2}) {
            EXPECT_EQ(edit->height, editH);
            EXPECT_EQ(edit->y, 10 + (2 * c.unit - editH) / 2);
        }
        EXPECT_EQ(layout.row, 3 + 2 * c.unit);
    }
}

}  // namespace

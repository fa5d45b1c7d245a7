// The combo box item list: indices, item data and the selection rules.
#include <gtest/gtest.h>

#include "platform/window/combo_items.h"

namespace {

using platform::window::ComboItems;

TEST(ComboItems, AddSelectAndFindByData) {
    ComboItems combo;
    EXPECT_EQ(combo.selection(), ComboItems::kNoSelection);
    EXPECT_EQ(combo.selectedData(), -1);
    EXPECT_EQ(combo.add(u"640 x 480", 7), 0);
    EXPECT_EQ(combo.add(u"800 x 600", 9), 1);
    EXPECT_EQ(combo.add(u"800 x 600 again", 9), 2);
    EXPECT_EQ(combo.text(1), u"800 x 600");

    // The first item with the data wins; an unknown value leaves the selection alone.
    EXPECT_TRUE(combo.selectByData(9));
    EXPECT_EQ(combo.selection(), 1);
    EXPECT_FALSE(combo.selectByData(42));
    EXPECT_EQ(combo.selection(), 1);
    EXPECT_EQ(combo.selectedData(), 9);
}

TEST(ComboItems, SelectReportsChangesAndRejectsOutsideIndices) {
    ComboItems combo;
    combo.add(u"a", 1);
    combo.add(u"b", 2);
    struct Step {
        int index;
        bool changed;
        int selection;
    };
    const Step steps[] = {{1, true, 1},
                          {1, false, 1},
                          {0, true, 0},
                          {2, true, ComboItems::kNoSelection},
                          {-5, false, ComboItems::kNoSelection}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.index);
        EXPECT_EQ(combo.select(step.index), step.changed);
        EXPECT_EQ(combo.selection(), step.selection);
    }
    combo.select(1);
    combo.clear();
    EXPECT_EQ(combo.size(), 0u);
    EXPECT_EQ(combo.selection(), ComboItems::kNoSelection);
}

}  // namespace

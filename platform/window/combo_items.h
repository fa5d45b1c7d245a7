#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::window {

// The item list of a drop-down combo box: texts with one integer of caller data each and at
// most one selected item. Both dialog toolkits keep their combo boxes' lists in this form.
class ComboItems {
public:
    static constexpr int kNoSelection = -1;

    // Appends an item; returns its index.
    int add(std::u16string text, intptr_t data);
    void clear();

    size_t size() const { return items_.size(); }
    const std::u16string& text(size_t index) const { return items_[index].text; }
    intptr_t data(size_t index) const { return items_[index].data; }

    int selection() const { return selection_; }
    // Selects `index`; an index outside the list clears the selection. Returns whether the
    // selection changed.
    bool select(int index);
    // The selected item's data, or -1 without a selection.
    intptr_t selectedData() const;
    // Selects the first item whose data equals `data`; leaves the selection alone when none
    // does. Returns whether an item matched.
    bool selectByData(intptr_t data);

private:
    struct Item {
        std::u16string text;
        intptr_t data;
    };
    std::vector<Item> items_;
    int selection_ = kNoSelection;
};

}  // namespace platform::window

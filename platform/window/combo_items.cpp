#include "platform/window/combo_items.h"

#include <utility>

namespace platform::window {

int ComboItems::add(std::u16string text, intptr_t data) {
    items_.push_back({std::move(text), data});
    return static_cast<int>(items_.size() - 1);
}

void ComboItems::clear() {
    items_.clear();
    selection_ = kNoSelection;
}

bool ComboItems::select(int index) {
    const int next =
        index >= 0 && static_cast<size_t>(index) < items_.size() ? index : kNoSelection;
    const bool changed = next != selection_;
    selection_ = next;
    return changed;
}

intptr_t ComboItems::selectedData() const {
    return selection_ == kNoSelection ? -1 : items_[static_cast<size_t>(selection_)].data;
}

bool ComboItems::selectByData(intptr_t data) {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].data == data) {
            select(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

}  // namespace platform::window

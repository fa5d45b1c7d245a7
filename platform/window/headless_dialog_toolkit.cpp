#include "platform/window/headless_dialog_toolkit.h"

#include "platform/window/message_box.h"

namespace platform::window {

int HeadlessDialogToolkit::messageBoxYesNo(DialogWindow owner, std::u16string_view text,
                                           std::u16string_view caption) {
    questions_.push_back({owner, std::u16string(text), std::u16string(caption)});
    bool yes = false;
    if (!answers_.empty()) {
        yes = answers_.front();
        answers_.pop_front();
    }
    return yes ? kIdYes : kIdNo;
}

bool HeadlessDialogToolkit::operable(DialogControl control, DialogControlKind kind) const {
    const DialogControlState* state = this->control(control);
    return state && state->kind == kind && state->visible && state->enabled &&
           windowEnabled(state->window);
}

bool HeadlessDialogToolkit::click(DialogControl control) {
    const DialogControlState* state = this->control(control);
    if (!state ||
        (state->kind != DialogControlKind::Button && state->kind != DialogControlKind::Check &&
         state->kind != DialogControlKind::Link) ||
        !operable(control, state->kind))
        return false;
    deliverCommand(control, kDialogClicked);
    return true;
}

bool HeadlessDialogToolkit::select(DialogControl combo, intptr_t data) {
    if (!operable(combo, DialogControlKind::Combo)) return false;
    DialogControlState* state = controlState(combo);
    if (!state->items.selectByData(data)) return false;
    deliverCommand(combo, kDialogSelectionChanged);
    return true;
}

bool HeadlessDialogToolkit::selectTab(DialogControl tab, int index) {
    if (!operable(tab, DialogControlKind::Tab)) return false;
    DialogControlState* state = controlState(tab);
    if (index < 0 || static_cast<size_t>(index) >= state->tabs.size()) return false;
    state->tabSelection = index;
    deliverTabChange(tab);
    return true;
}

bool HeadlessDialogToolkit::tick(uint32_t id) {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        for (const Timer& timer : (*it)->timers) {
            if (timer.id != id) continue;
            deliverTimer((*it)->id, id);
            return true;
        }
    }
    return false;
}

DialogControl HeadlessDialogToolkit::find(DialogWindow window, std::u16string_view text) const {
    for (size_t i = 0; i < controls_.size(); ++i) {
        const DialogControlState& state = controls_[i];
        if (state.window && (!window || state.window == window) && state.text == text)
            return static_cast<DialogControl>(i + 1);
    }
    return 0;
}

DialogControl HeadlessDialogToolkit::nth(DialogWindow window, DialogControlKind kind, int n) const {
    for (DialogControl control : controlsOf(window)) {
        if (this->control(control)->kind == kind && n-- == 0) return control;
    }
    return 0;
}

std::vector<DialogWindow> HeadlessDialogToolkit::windows() const {
    std::vector<DialogWindow> ids;
    for (const auto& window : windows_) ids.push_back(window->id);
    return ids;
}

void HeadlessDialogToolkit::pollInput() {
    if (pumpScript_.empty()) return;
    Step step = std::move(pumpScript_.front());
    pumpScript_.pop_front();
    step(*this);
}

void HeadlessDialogToolkit::waitForInput(DialogWindow modal) {
    if (!script_.empty()) {
        closedIdle_ = 0;
        Step step = std::move(script_.front());
        script_.pop_front();
        step(*this);
        return;
    }
    // Out of script: close the window as its close box would; a window that stays open
    // after that ends its loop.
    if (closedIdle_ == modal) {
        postQuit();
        return;
    }
    closedIdle_ = modal;
    deliverClose(modal);
}

}  // namespace platform::window

#include "platform/window/dialog_toolkit.h"

#include <algorithm>
#include <utility>

namespace platform::window {

DialogWindow DialogToolkit::createWindow(std::u16string_view title, int32_t clientWidth,
                                         int32_t clientHeight, DialogWindow owner,
                                         DialogEvents* events) {
    auto window = std::make_unique<WindowState>();
    window->id = nextWindow_;
    window->title = title;
    window->width = clientWidth;
    window->height = clientHeight;
    window->owner = owner;
    window->events = events;
    if (clientWidth <= 0 || clientHeight <= 0 || !createNative(*window)) return 0;
    ++nextWindow_;
    windows_.push_back(std::move(window));
    return windows_.back()->id;
}

void DialogToolkit::destroyWindow(DialogWindow window) {
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [window](const auto& state) { return state->id == window; });
    if (it == windows_.end()) return;
    destroyNative(**it);
    for (DialogControlState& state : controls_) {
        if (state.window == window) state = DialogControlState{};
    }
    std::erase_if(posted_, [window](const Posted& message) { return message.window == window; });
    windows_.erase(it);
}

void DialogToolkit::showWindow(DialogWindow window, bool visible) {
    if (WindowState* state = find(window)) {
        state->visible = visible;
        changed(window);
    }
}

void DialogToolkit::enableWindow(DialogWindow window, bool enabled) {
    if (WindowState* state = find(window)) {
        state->enabled = enabled;
        changed(window);
    }
}

DialogControl DialogToolkit::addControl(DialogWindow window, DialogControlKind kind,
                                        std::u16string_view text, const DialogRect& rect,
                                        bool visible) {
    if (!find(window)) return 0;
    DialogControlState state;
    state.window = window;
    state.kind = kind;
    state.text = text;
    state.rect = rect;
    state.visible = visible;
    controls_.push_back(std::move(state));
    changed(window);
    return static_cast<DialogControl>(controls_.size());
}

void DialogToolkit::setText(DialogControl control, std::u16string_view text) {
    if (DialogControlState* state = controlState(control)) {
        state->text = text;
        state->scroll = 0;
        changed(state->window);
    }
}

void DialogToolkit::enable(DialogControl control, bool enabled) {
    if (DialogControlState* state = controlState(control)) {
        state->enabled = enabled;
        changed(state->window);
    }
}

void DialogToolkit::show(DialogControl control, bool visible) {
    if (DialogControlState* state = controlState(control)) {
        state->visible = visible;
        changed(state->window);
    }
}

void DialogToolkit::setCheck(DialogControl control, bool checked) {
    if (DialogControlState* state = controlState(control)) {
        state->checked = checked;
        changed(state->window);
    }
}

int DialogToolkit::comboAdd(DialogControl control, std::u16string_view text, intptr_t data) {
    DialogControlState* state = controlState(control);
    if (!state) return -1;
    changed(state->window);
    return state->items.add(std::u16string(text), data);
}

void DialogToolkit::comboClear(DialogControl control) {
    if (DialogControlState* state = controlState(control)) {
        state->items.clear();
        changed(state->window);
    }
}

void DialogToolkit::comboSelectByData(DialogControl control, intptr_t data) {
    if (DialogControlState* state = controlState(control)) {
        state->items.selectByData(data);
        changed(state->window);
    }
}

intptr_t DialogToolkit::comboSelectedData(DialogControl control) const {
    const DialogControlState* state = this->control(control);
    return state ? state->items.selectedData() : -1;
}

void DialogToolkit::addTab(DialogControl tab, std::u16string_view text) {
    if (DialogControlState* state = controlState(tab)) {
        state->tabs.emplace_back(text);
        changed(state->window);
    }
}

int DialogToolkit::tabSelection(DialogControl tab) const {
    const DialogControlState* state = control(tab);
    return state ? state->tabSelection : -1;
}

DialogRect DialogToolkit::tabDisplayArea(DialogControl tab) const {
    const DialogControlState* state = control(tab);
    if (!state) return {};
    // The tabs take one and a half lines; a two-pixel border runs around the page.
    const int32_t header = unit() * 3 / 2;
    const DialogRect& r = state->rect;
    return {r.x + 2, r.y + header + 2, std::max(0, r.width - 4),
            std::max(0, r.height - header - 4)};
}

void DialogToolkit::runModal(DialogWindow window) {
    if (!find(window)) return;
    loops_.push_back(window);
    while (!quitPosted_) {
        if (!posted_.empty()) {
            const Posted message = posted_.front();
            posted_.pop_front();
            deliverPosted(message);
            continue;
        }
        waitForInput(window);
    }
    quitPosted_ = false;
    loops_.pop_back();
}

void DialogToolkit::pumpMessages() {
    while (!posted_.empty()) {
        const Posted message = posted_.front();
        posted_.pop_front();
        deliverPosted(message);
    }
    pollInput();
}

void DialogToolkit::deliverPosted(const Posted& message) {
    if (message.close) {
        deliverClose(message.window);
    } else if (WindowState* state = find(message.window); state && state->events) {
        state->events->command(message.code, message.control);
    }
}

void DialogToolkit::postCommand(DialogWindow window, uint32_t code, DialogControl control) {
    posted_.push_back({window, false, code, control});
}

void DialogToolkit::postClose(DialogWindow window) { posted_.push_back({window, true, 0, 0}); }

void DialogToolkit::setTimer(DialogWindow window, uint32_t id, uint32_t milliseconds) {
    WindowState* state = find(window);
    if (!state) return;
    killTimer(window, id);
    state->timers.push_back({id, milliseconds, now() + milliseconds});
}

void DialogToolkit::killTimer(DialogWindow window, uint32_t id) {
    if (WindowState* state = find(window))
        std::erase_if(state->timers, [id](const Timer& timer) { return timer.id == id; });
}

const DialogControlState* DialogToolkit::control(DialogControl control) const {
    if (control <= 0 || static_cast<size_t>(control) > controls_.size()) return nullptr;
    const DialogControlState& state = controls_[static_cast<size_t>(control) - 1];
    return state.window ? &state : nullptr;
}

DialogControlState* DialogToolkit::controlState(DialogControl control) {
    return const_cast<DialogControlState*>(this->control(control));
}

std::vector<DialogControl> DialogToolkit::controlsOf(DialogWindow window) const {
    std::vector<DialogControl> found;
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (window && controls_[i].window == window)
            found.push_back(static_cast<DialogControl>(i + 1));
    }
    return found;
}

bool DialogToolkit::windowVisible(DialogWindow window) const {
    const WindowState* state = find(window);
    return state && state->visible;
}

bool DialogToolkit::windowEnabled(DialogWindow window) const {
    const WindowState* state = find(window);
    return state && state->enabled;
}

std::u16string DialogToolkit::windowTitle(DialogWindow window) const {
    const WindowState* state = find(window);
    return state ? state->title : std::u16string();
}

int32_t DialogToolkit::windowWidth(DialogWindow window) const {
    const WindowState* state = find(window);
    return state ? state->width : 0;
}

int32_t DialogToolkit::windowHeight(DialogWindow window) const {
    const WindowState* state = find(window);
    return state ? state->height : 0;
}

DialogToolkit::WindowState* DialogToolkit::find(DialogWindow window) {
    return const_cast<WindowState*>(std::as_const(*this).find(window));
}

const DialogToolkit::WindowState* DialogToolkit::find(DialogWindow window) const {
    for (const auto& state : windows_) {
        if (state->id == window) return state.get();
    }
    return nullptr;
}

bool DialogToolkit::fireDueTimers() {
    const uint64_t time = now();
    std::vector<std::pair<DialogWindow, uint32_t>> due;
    for (const auto& window : windows_) {
        for (Timer& timer : window->timers) {
            if (timer.due > time) continue;
            timer.due = time + timer.milliseconds;
            due.emplace_back(window->id, timer.id);
        }
    }
    // A timer callback may destroy windows or kill timers: deliver from the copy.
    for (const auto& [window, id] : due) deliverTimer(window, id);
    return !due.empty();
}

void DialogToolkit::deliverCommand(DialogControl control, uint32_t code) {
    const DialogControlState* state = this->control(control);
    if (!state) return;
    if (WindowState* window = find(state->window); window && window->events)
        window->events->command(code, control);
}

void DialogToolkit::deliverTabChange(DialogControl tab) {
    const DialogControlState* state = control(tab);
    if (!state) return;
    if (WindowState* window = find(state->window); window && window->events)
        window->events->tabChanged(tab);
}

void DialogToolkit::deliverTimer(DialogWindow window, uint32_t id) {
    WindowState* state = find(window);
    if (!state || !state->events) return;
    const bool running = std::any_of(state->timers.begin(), state->timers.end(),
                                     [id](const Timer& timer) { return timer.id == id; });
    if (running) state->events->timer(id);
}

void DialogToolkit::deliverClose(DialogWindow window) {
    if (WindowState* state = find(window); state && state->events) state->events->close();
}

bool DialogToolkit::accepting(DialogWindow window) const {
    const WindowState* state = find(window);
    return state && state->visible && state->enabled;
}

}  // namespace platform::window

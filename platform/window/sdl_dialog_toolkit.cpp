#include "platform/window/sdl_dialog_toolkit.h"

#include <algorithm>

#include "platform/os/headless.h"
#include "platform/os/utf8.h"
#include "platform/window/message_box.h"

namespace platform::window {
namespace {

// Legible Japanese at the dialog's size.
constexpr int kFontPixels = 14;

constexpr uint32_t kFace = 0xF0F0F0;
constexpr uint32_t kPage = 0xFCFCFC;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBorder = 0x7A7A7A;
constexpr uint32_t kLight = 0xADADAD;
constexpr uint32_t kText = 0x000000;
constexpr uint32_t kGreyText = 0x8D8D8D;
constexpr uint32_t kDisabledFill = 0xF4F4F4;
constexpr uint32_t kButton = 0xE1E1E1;
constexpr uint32_t kButtonDown = 0xCCE4F7;
constexpr uint32_t kFocus = 0x0078D7;
constexpr uint32_t kHighlight = 0x0078D7;
constexpr uint32_t kLink = 0x0000FF;
constexpr uint32_t kIconBlue = 0x1E64C8;

DialogRect inset(const DialogRect& r, int by) {
    return {r.x + by, r.y + by, std::max(0, r.width - 2 * by), std::max(0, r.height - 2 * by)};
}

DialogRect intersect(const DialogRect& a, const DialogRect& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    return {x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

}  // namespace

std::unique_ptr<SdlDialogToolkit> SdlDialogToolkit::open() {
    if (platform::os::headlessRun()) return nullptr;
    std::unique_ptr<DialogFont> font = DialogFont::open(kFontPixels);
    if (!font) return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    std::unique_ptr<SdlDialogToolkit> toolkit(new SdlDialogToolkit);
    toolkit->font_ = std::move(font);
    toolkit->unit_ = toolkit->font_->lineHeight();
    SDL_AddEventWatch(watch, toolkit.get());
    return toolkit;
}

SdlDialogToolkit::~SdlDialogToolkit() {
    SDL_DelEventWatch(watch, this);
    natives_.clear();
    if (hand_) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        SDL_FreeCursor(hand_);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(0) == 0) SDL_Quit();
}

int SdlDialogToolkit::watch(void* user, SDL_Event* event) {
    switch (event->type) {
    case SDL_WINDOWEVENT:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEWHEEL:
    case SDL_KEYDOWN:
        static_cast<SdlDialogToolkit*>(user)->events_.push_back(*event);
        break;
    default:
        break;
    }
    return 1;
}

bool SdlDialogToolkit::createNative(WindowState& window) {
    Native native;
    native.window =
        SdlWindow::open(platform::os::utf16ToUtf8(window.title), window.width, window.height);
    if (!native.window) return false;
    // Windows start hidden until shown.
    native.window->hide();
    native.pixels.assign(static_cast<size_t>(window.width) * window.height, kFace);
    natives_[window.id] = std::move(native);
    return true;
}

void SdlDialogToolkit::destroyNative(WindowState& window) { natives_.erase(window.id); }

void SdlDialogToolkit::changed(DialogWindow window) {
    const auto found = natives_.find(window);
    if (found != natives_.end()) found->second.dirty = true;
}

void SdlDialogToolkit::activateWindow(DialogWindow window) {
    const auto found = natives_.find(window);
    if (found == natives_.end() || !windowVisible(window)) return;
    SDL_Window* sdl = found->second.window->sdlWindow();
    SDL_ShowWindow(sdl);
    SDL_RaiseWindow(sdl);
}

void* SdlDialogToolkit::nativeHandle(DialogWindow window) {
    const auto found = natives_.find(window);
    return found == natives_.end() ? nullptr : found->second.window->handle();
}

uint32_t SdlDialogToolkit::sdlWindowId(DialogWindow window) {
    const auto found = natives_.find(window);
    return found == natives_.end() ? 0 : SDL_GetWindowID(found->second.window->sdlWindow());
}

int SdlDialogToolkit::messageBoxYesNo(DialogWindow owner, std::u16string_view text,
                                      std::u16string_view caption) {
    return messageBox(nativeHandle(owner), text, caption, kMbYesNo) == kIdYes ? kIdYes : kIdNo;
}

std::vector<uint32_t> SdlDialogToolkit::capture(DialogWindow window, int& width, int& height) {
    width = height = 0;
    const auto found = natives_.find(window);
    if (found == natives_.end()) return {};
    return found->second.window->capture(width, height);
}

DialogWindow SdlDialogToolkit::windowOf(uint32_t sdlId) const {
    for (const auto& [id, native] : natives_)
        if (SDL_GetWindowID(native.window->sdlWindow()) == sdlId) return id;
    return 0;
}

void SdlDialogToolkit::present() {
    for (auto& [id, native] : natives_) {
        const WindowState* state = find(id);
        if (!state || !state->visible) {
            native.window->hide();
            continue;
        }
        SDL_ShowWindow(native.window->sdlWindow());
        if (native.dirty) draw(id, native);
    }
}

void SdlDialogToolkit::dispatchEvents() {
    // The watch has copied what SDL queued; the queue itself is emptied.
    SDL_Event drained;
    while (SDL_PollEvent(&drained)) {
    }
    while (!events_.empty() && !quitPosted()) {
        const SDL_Event event = events_.front();
        events_.pop_front();
        handle(event);
    }
}

void SdlDialogToolkit::pollInput() {
    present();
    SDL_PumpEvents();
    if (events_.empty()) fireDueTimers();
    dispatchEvents();
    // What the input changed shows at once rather than at the next pump.
    present();
}

void SdlDialogToolkit::waitForInput(DialogWindow modal) {
    (void)modal;
    present();
    if (events_.empty() && !steps_.empty()) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        step(*this);
        SDL_PumpEvents();
    }
    if (events_.empty() && !fireDueTimers()) {
        // Sleep until input arrives or the next timer is due.
        uint64_t wait = 50;
        const uint64_t time = now();
        for (const auto& window : windows_)
            for (const Timer& timer : window->timers)
                wait = std::min(wait, timer.due > time ? timer.due - time : 0);
        SDL_WaitEventTimeout(nullptr, static_cast<int>(wait));
    }
    dispatchEvents();
}

void SdlDialogToolkit::handle(const SDL_Event& event) {
    uint32_t sdlId = 0;
    switch (event.type) {
    case SDL_WINDOWEVENT:
        sdlId = event.window.windowID;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        sdlId = event.button.windowID;
        break;
    case SDL_MOUSEMOTION:
        sdlId = event.motion.windowID;
        break;
    case SDL_MOUSEWHEEL:
        sdlId = event.wheel.windowID;
        break;
    case SDL_KEYDOWN:
        sdlId = event.key.windowID;
        break;
    default:
        return;
    }
    const DialogWindow window = windowOf(sdlId);
    if (!window) return;
    Native& native = natives_[window];
    if (event.type == SDL_WINDOWEVENT) {
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) native.dirty = true;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE && accepting(window)) deliverClose(window);
        return;
    }
    if (!accepting(window)) return;
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
            mouseDown(window, native, event.button.x, event.button.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT)
            mouseUp(window, native, event.button.x, event.button.y);
        break;
    case SDL_MOUSEMOTION:
        pointAt(window, event.motion.x, event.motion.y);
        if (native.popup) {
            const DialogControlState* combo = control(native.popup);
            const DialogRect list = comboList(*combo);
            const int item = list.contains(event.motion.x, event.motion.y)
                                 ? (event.motion.y - list.y - 1) / (unit_ + 2)
                                 : -1;
            if (item != native.hover) {
                native.hover = item;
                native.dirty = true;
            }
        }
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        const DialogControl under = hit(window, x, y);
        DialogControlState* state = controlState(under);
        if (state && state->kind == DialogControlKind::Report) {
            state->scroll = std::max(0, state->scroll - 3 * event.wheel.y);
            native.dirty = true;
        }
        break;
    }
    case SDL_KEYDOWN:
        keyDown(window, native, event.key.keysym);
        break;
    default:
        break;
    }
}

void SdlDialogToolkit::pointAt(DialogWindow window, int x, int y) {
    const DialogControlState* state = control(hit(window, x, y));
    const bool overLink = state && state->kind == DialogControlKind::Link && state->enabled;
    if (overLink == overLink_) return;
    overLink_ = overLink;
    if (overLink && !hand_) hand_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
    SDL_SetCursor(overLink && hand_ ? hand_ : SDL_GetDefaultCursor());
}

DialogControl SdlDialogToolkit::hit(DialogWindow window, int x, int y) const {
    const std::vector<DialogControl> ids = controlsOf(window);
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        const DialogControlState* state = control(*it);
        if (!state->visible || state->kind == DialogControlKind::Label ||
            state->kind == DialogControlKind::Icon)
            continue;
        const DialogRect area =
            state->kind == DialogControlKind::Combo ? comboBox(*state) : state->rect;
        if (area.contains(x, y)) return *it;
    }
    return 0;
}

bool SdlDialogToolkit::focusable(DialogControl id) const {
    const DialogControlState* state = control(id);
    return state && state->visible && state->enabled && state->kind != DialogControlKind::Label &&
           state->kind != DialogControlKind::Edit && state->kind != DialogControlKind::Icon;
}

void SdlDialogToolkit::mouseDown(DialogWindow window, Native& native, int x, int y) {
    native.dirty = true;
    if (native.popup) {
        const DialogControl combo = native.popup;
        const DialogRect list = comboList(*control(combo));
        native.popup = 0;
        if (list.contains(x, y)) {
            const int item = (y - list.y - 1) / (unit_ + 2);
            DialogControlState* state = controlState(combo);
            if (item >= 0 && static_cast<size_t>(item) < state->items.size()) {
                state->items.select(item);
                deliverCommand(combo, kDialogSelectionChanged);
            }
        }
        return;
    }
    const DialogControl target = hit(window, x, y);
    const DialogControlState* state = control(target);
    if (!state || !state->enabled) return;
    if (focusable(target)) native.focus = target;
    switch (state->kind) {
    case DialogControlKind::Tab: {
        const int tab = tabAt(*state, x, y);
        if (tab >= 0 && tab != state->tabSelection) {
            controlState(target)->tabSelection = tab;
            deliverTabChange(target);
        }
        break;
    }
    case DialogControlKind::Combo:
        native.popup = target;
        native.hover = state->items.selection();
        break;
    case DialogControlKind::Button:
    case DialogControlKind::Check:
    case DialogControlKind::Link:
        native.pressed = target;
        break;
    default:
        break;
    }
}

void SdlDialogToolkit::mouseUp(DialogWindow window, Native& native, int x, int y) {
    const DialogControl pressed = native.pressed;
    native.pressed = 0;
    if (!pressed) return;
    native.dirty = true;
    if (hit(window, x, y) == pressed) deliverCommand(pressed, kDialogClicked);
}

void SdlDialogToolkit::moveFocus(DialogWindow window, Native& native, bool backwards) {
    std::vector<DialogControl> ids;
    for (DialogControl id : controlsOf(window))
        if (focusable(id)) ids.push_back(id);
    if (ids.empty()) return;
    auto at = std::find(ids.begin(), ids.end(), native.focus);
    if (at == ids.end()) {
        native.focus = backwards ? ids.back() : ids.front();
    } else if (backwards) {
        native.focus = at == ids.begin() ? ids.back() : *(at - 1);
    } else {
        native.focus = at + 1 == ids.end() ? ids.front() : *(at + 1);
    }
    native.dirty = true;
}

void SdlDialogToolkit::comboStep(DialogControl combo, int step) {
    DialogControlState* state = controlState(combo);
    const int count = static_cast<int>(state->items.size());
    if (count == 0) return;
    const int next = std::clamp(state->items.selection() + step, 0, count - 1);
    if (state->items.select(next)) deliverCommand(combo, kDialogSelectionChanged);
}

void SdlDialogToolkit::keyDown(DialogWindow window, Native& native, const SDL_Keysym& key) {
    native.dirty = true;
    if (!focusable(native.focus)) native.focus = 0;
    DialogControlState* focused = controlState(native.focus);
    const bool shift = (key.mod & KMOD_SHIFT) != 0;
    if (native.popup) {
        DialogControlState* combo = controlState(native.popup);
        const int count = static_cast<int>(combo->items.size());
        switch (key.sym) {
        case SDLK_UP:
        case SDLK_DOWN:
            native.hover =
                std::clamp(native.hover + (key.sym == SDLK_UP ? -1 : 1), 0, std::max(0, count - 1));
            return;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE: {
            const DialogControl id = native.popup;
            native.popup = 0;
            if (native.hover >= 0 && native.hover < count &&
                native.hover != combo->items.selection()) {
                combo->items.select(native.hover);
                deliverCommand(id, kDialogSelectionChanged);
            }
            return;
        }
        case SDLK_ESCAPE:
            native.popup = 0;
            return;
        default:
            return;
        }
    }
    switch (key.sym) {
    case SDLK_TAB:
        moveFocus(window, native, shift);
        return;
    case SDLK_ESCAPE:
        deliverClose(window);
        return;
    case SDLK_SPACE:
        if (focused && (focused->kind == DialogControlKind::Button ||
                        focused->kind == DialogControlKind::Check ||
                        focused->kind == DialogControlKind::Link)) {
            deliverCommand(native.focus, kDialogClicked);
        } else if (focused && focused->kind == DialogControlKind::Combo) {
            native.popup = native.focus;
            native.hover = focused->items.selection();
        }
        return;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: {
        if (focused && (focused->kind == DialogControlKind::Button ||
                        focused->kind == DialogControlKind::Link)) {
            deliverCommand(native.focus, kDialogClicked);
            return;
        }
        for (DialogControl id : controlsOf(window)) {
            const DialogControlState* state = control(id);
            if (state->kind == DialogControlKind::Button && state->text == u"OK" &&
                state->visible && state->enabled) {
                deliverCommand(id, kDialogClicked);
                return;
            }
        }
        return;
    }
    case SDLK_UP:
    case SDLK_DOWN:
    case SDLK_LEFT:
    case SDLK_RIGHT: {
        const bool back = key.sym == SDLK_UP || key.sym == SDLK_LEFT;
        if (focused && focused->kind == DialogControlKind::Combo &&
            (key.sym == SDLK_UP || key.sym == SDLK_DOWN)) {
            comboStep(native.focus, back ? -1 : 1);
        } else if (focused && focused->kind == DialogControlKind::Tab) {
            const int count = static_cast<int>(focused->tabs.size());
            const int next = std::clamp(focused->tabSelection + (back ? -1 : 1), 0, count - 1);
            if (next != focused->tabSelection) {
                focused->tabSelection = next;
                deliverTabChange(native.focus);
            }
        } else if (focused && focused->kind == DialogControlKind::Report &&
                   (key.sym == SDLK_UP || key.sym == SDLK_DOWN)) {
            focused->scroll = std::max(0, focused->scroll + (back ? -1 : 1));
        } else {
            moveFocus(window, native, back);
        }
        return;
    }
    default:
        return;
    }
}

// ---- drawing ----

void SdlDialogToolkit::fill(Native& native, int width, const DialogRect& rect, uint32_t rgb) {
    const int height = static_cast<int>(native.pixels.size()) / width;
    const DialogRect r = intersect(rect, {0, 0, width, height});
    for (int y = r.y; y < r.y + r.height; ++y)
        std::fill_n(native.pixels.begin() + static_cast<ptrdiff_t>(y) * width + r.x, r.width,
                    0xFF000000u | rgb);
}

void SdlDialogToolkit::drawInformationIcon(Native& native, int width, const DialogRect& rect) {
    // A blue disc with a white "i" (its dot and its stem), as large as the rectangle allows.
    const int size = std::min(rect.width, rect.height);
    const int left = rect.x + (rect.width - size) / 2, top = rect.y + (rect.height - size) / 2;
    const int height = static_cast<int>(native.pixels.size()) / width;
    const float radius = size / 2.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = x + 0.5f - radius, dy = y + 0.5f - radius;
            if (dx * dx + dy * dy > radius * radius) continue;
            const int px = left + x, py = top + y;
            if (px < 0 || py < 0 || px >= width || py >= height) continue;
            native.pixels[static_cast<size_t>(py) * width + px] = 0xFF000000u | kIconBlue;
        }
    }
    const int stroke = std::max(2, size / 8);
    const int cx = left + (size - stroke) / 2;
    fill(native, width, {cx, top + size / 5, stroke, stroke}, kWhite);
    fill(native, width, {cx, top + size * 2 / 5, stroke, size * 2 / 5}, kWhite);
}

void SdlDialogToolkit::frame(Native& native, int width, const DialogRect& r, uint32_t rgb) {
    fill(native, width, {r.x, r.y, r.width, 1}, rgb);
    fill(native, width, {r.x, r.y + r.height - 1, r.width, 1}, rgb);
    fill(native, width, {r.x, r.y, 1, r.height}, rgb);
    fill(native, width, {r.x + r.width - 1, r.y, 1, r.height}, rgb);
}

void SdlDialogToolkit::text(Native& native, int width, const DialogRect& clip, int x, int y,
                            std::u16string_view line, uint32_t rgb) {
    font_->draw(native.pixels, width, x, y, line, rgb, clip.x, clip.y, clip.width, clip.height);
}

std::vector<std::u16string> SdlDialogToolkit::lines(std::u16string_view source, int width) {
    std::vector<std::u16string> result;
    std::u16string line;
    int lineWidth = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        const char16_t unit = source[i];
        if (unit == u'\r') continue;
        if (unit == u'\n') {
            result.push_back(std::move(line));
            line.clear();
            lineWidth = 0;
            continue;
        }
        const int advance = font_->width(std::u16string_view(&source[i], 1));
        // Closing punctuation stays at the end of its line rather than start the next.
        const bool closing =
            std::u16string_view(u"。、）」』)].,").find(unit) != std::u16string_view::npos;
        if (lineWidth + advance > width && !line.empty() && !closing) {
            result.push_back(std::move(line));
            line.clear();
            lineWidth = 0;
        }
        line += unit;
        lineWidth += advance;
    }
    if (!line.empty()) result.push_back(std::move(line));
    return result;
}

DialogRect SdlDialogToolkit::comboBox(const DialogControlState& combo) const {
    return {combo.rect.x, combo.rect.y, combo.rect.width,
            std::min(combo.rect.height, unit_ * 14 / 8)};
}

DialogRect SdlDialogToolkit::comboList(const DialogControlState& combo) const {
    const DialogRect box = comboBox(combo);
    const int items = static_cast<int>(std::max<size_t>(combo.items.size(), 1));
    return {box.x, box.y + box.height, box.width, items * (unit_ + 2) + 2};
}

int SdlDialogToolkit::tabAt(const DialogControlState& tab, int x, int y) {
    const int header = unit_ * 3 / 2;
    if (y < tab.rect.y || y >= tab.rect.y + header + 2) return -1;
    int left = tab.rect.x + 2;
    for (size_t i = 0; i < tab.tabs.size(); ++i) {
        const int w = font_->width(tab.tabs[i]) + unit_;
        if (x >= left && x < left + w) return static_cast<int>(i);
        left += w;
    }
    return -1;
}

void SdlDialogToolkit::drawControl(DialogWindow window, Native& native, DialogControl id,
                                   const DialogControlState& c) {
    const int width = windowWidth(window);
    const uint32_t ink = c.enabled ? kText : kGreyText;
    const int u = unit_;
    const DialogRect& r = c.rect;
    switch (c.kind) {
    case DialogControlKind::Tab: {
        const int header = u * 3 / 2;
        const DialogRect page{r.x, r.y + header + 1, r.width, r.height - header - 1};
        fill(native, width, page, kPage);
        frame(native, width, page, kLight);
        int left = r.x + 2;
        for (size_t i = 0; i < c.tabs.size(); ++i) {
            const int w = font_->width(c.tabs[i]) + u;
            const bool selected = static_cast<int>(i) == c.tabSelection;
            const DialogRect tab{left, r.y + (selected ? 0 : 2), w, header + (selected ? 2 : -1)};
            fill(native, width, tab, selected ? kPage : kFace);
            frame(native, width, {tab.x, tab.y, tab.width, tab.height + 1}, kLight);
            if (selected) fill(native, width, {tab.x + 1, tab.y + tab.height, w - 2, 1}, kPage);
            text(native, width, tab, left + u / 2, tab.y + (header - u) / 2 + 1, c.tabs[i], ink);
            if (selected && native.focus == id) frame(native, width, inset(tab, 2), kFocus);
            left += w;
        }
        break;
    }
    case DialogControlKind::Label: {
        const WindowState* state = find(window);
        if (!(state && state->events && state->events->transparent(id)))
            fill(native, width, r, kFace);
        int y = r.y;
        for (const std::u16string& line : lines(c.text, r.width)) {
            text(native, width, r, r.x, y, line, ink);
            y += u;
        }
        break;
    }
    case DialogControlKind::Edit: {
        fill(native, width, r, c.enabled ? kWhite : kDisabledFill);
        frame(native, width, r, kBorder);
        const DialogRect inner = inset(r, 2);
        text(native, width, inner, inner.x + 2, r.y + (r.height - u) / 2, c.text, ink);
        break;
    }
    case DialogControlKind::Report: {
        fill(native, width, r, kWhite);
        frame(native, width, r, kBorder);
        const DialogRect scrollBar{r.x + r.width - 1 - u, r.y + 1, u, r.height - 2};
        const DialogRect inner{r.x + 3, r.y + 2, r.width - 6 - u, r.height - 4};
        const std::vector<std::u16string> all = lines(c.text, inner.width);
        const int visible = std::max(1, inner.height / u);
        const int maxScroll = std::max(0, static_cast<int>(all.size()) - visible);
        const int first = std::min(c.scroll, maxScroll);
        for (int i = 0; i < visible && first + i < static_cast<int>(all.size()); ++i)
            text(native, width, inner, inner.x, inner.y + i * u, all[first + i], kText);
        fill(native, width, scrollBar, kFace);
        const int thumbHeight = std::max(
            u, scrollBar.height * visible / std::max(visible, static_cast<int>(all.size())));
        const int thumbY =
            scrollBar.y + (scrollBar.height - thumbHeight) * first / std::max(1, maxScroll);
        fill(native, width, {scrollBar.x + 2, thumbY, u - 4, thumbHeight}, kLight);
        if (native.focus == id) frame(native, width, inset(r, 1), kFocus);
        break;
    }
    case DialogControlKind::Combo: {
        const DialogRect box = comboBox(c);
        fill(native, width, box, c.enabled ? kWhite : kDisabledFill);
        frame(native, width, box, native.focus == id ? kFocus : kBorder);
        const int selection = c.items.selection();
        if (selection >= 0)
            text(native, width, inset(box, 2), box.x + 4, box.y + (box.height - u) / 2,
                 c.items.text(static_cast<size_t>(selection)), ink);
        // The arrow: a small triangle at the right.
        const int cx = box.x + box.width - u / 2 - 4, cy = box.y + box.height / 2 - 2;
        for (int row = 0; row < 4; ++row)
            fill(native, width, {cx - 4 + row, cy + row, 9 - 2 * row, 1}, ink);
        break;
    }
    case DialogControlKind::Check: {
        const WindowState* state = find(window);
        if (!(state && state->events && state->events->transparent(id)))
            fill(native, width, r, kFace);
        const int box = std::max(8, u - 4);
        const DialogRect mark{r.x, r.y + (r.height - box) / 2, box, box};
        fill(native, width, mark, c.enabled ? kWhite : kDisabledFill);
        frame(native, width, mark, kBorder);
        if (c.checked) fill(native, width, inset(mark, 3), ink);
        text(native, width, r, r.x + box + u / 2, r.y + (r.height - u) / 2, c.text, ink);
        if (native.focus == id)
            frame(native, width, {r.x + box + u / 2 - 2, r.y, font_->width(c.text) + 4, r.height},
                  kFocus);
        break;
    }
    case DialogControlKind::Button: {
        fill(native, width, r, native.pressed == id ? kButtonDown : kButton);
        frame(native, width, r, native.focus == id ? kFocus : kLight);
        const int textWidth = font_->width(c.text);
        text(native, width, inset(r, 2), r.x + (r.width - textWidth) / 2, r.y + (r.height - u) / 2,
             c.text, ink);
        break;
    }
    case DialogControlKind::Icon:
        drawInformationIcon(native, width, r);
        break;
    case DialogControlKind::Link: {
        const uint32_t color = c.enabled ? kLink : kGreyText;
        const int textWidth = std::min(font_->width(c.text), r.width);
        const int x = r.x + (r.width - textWidth) / 2, y = r.y + (r.height - u) / 2;
        text(native, width, r, x, y, c.text, color);
        fill(native, width, {x, std::min(y + u, r.y + r.height - 1), textWidth, 1}, color);
        if (native.focus == id) frame(native, width, {x - 2, r.y, textWidth + 4, r.height}, kFocus);
        break;
    }
    }
}

void SdlDialogToolkit::draw(DialogWindow window, Native& native) {
    const int width = windowWidth(window), height = windowHeight(window);
    std::fill(native.pixels.begin(), native.pixels.end(), 0xFF000000u | kFace);
    for (DialogControl id : controlsOf(window)) {
        const DialogControlState* state = control(id);
        if (state->visible) drawControl(window, native, id, *state);
    }
    // The open list lies over everything else.
    if (const DialogControlState* combo = control(native.popup)) {
        const DialogRect list = comboList(*combo);
        fill(native, width, list, kWhite);
        frame(native, width, list, kBorder);
        for (size_t i = 0; i < combo->items.size(); ++i) {
            const DialogRect row{list.x + 1, list.y + 1 + static_cast<int>(i) * (unit_ + 2),
                                 list.width - 2, unit_ + 2};
            const bool hot = static_cast<int>(i) == native.hover;
            if (hot) fill(native, width, row, kHighlight);
            text(native, width, row, row.x + 3, row.y + 1, combo->items.text(i),
                 hot ? kWhite : kText);
        }
    }
    native.window->show(native.pixels.data(), width, height, width * 4);
    native.dirty = false;
}

}  // namespace platform::window

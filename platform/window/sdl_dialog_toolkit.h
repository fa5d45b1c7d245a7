#pragma once
// The dialog toolkit on the display: every dialog window is an SdlWindow showing a frame that
// the toolkit draws itself (tabs, labels, read-only edits, drop-down combo boxes, check boxes,
// push buttons, the information icon, links) with the dialog font. Mouse and keyboard: click,
// wheel, Tab and Shift+Tab, arrows, Space, Enter (the focused button, else "OK") and Escape (closes
// the window).
//
// SDL has one event queue that SdlWindow::pumpEvents drains for the window it belongs to, so
// the toolkit watches events as SDL queues them and routes them to its windows by window id;
// input reaches only windows that are visible and enabled (the owner of a running sub-dialog
// is disabled).
#include <SDL.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/window/dialog_font.h"
#include "platform/window/dialog_toolkit.h"
#include "platform/window/sdl_window.h"

namespace platform::window {

class SdlDialogToolkit final : public DialogToolkit {
public:
    using Step = std::function<void(SdlDialogToolkit&)>;

    // Null when the run is headless, SDL has no display or no Japanese font can be loaded.
    static std::unique_ptr<SdlDialogToolkit> open();
    ~SdlDialogToolkit() override;

    int32_t unit() const override { return unit_; }
    void activateWindow(DialogWindow window) override;
    void* nativeHandle(DialogWindow window) override;
    int messageBoxYesNo(DialogWindow owner, std::u16string_view text,
                        std::u16string_view caption) override;

    // Tests: a step that runs once the events before it were handled and the windows drawn.
    void then(Step step) { steps_.push_back(std::move(step)); }
    // The window's client area as last drawn, ARGB.
    std::vector<uint32_t> capture(DialogWindow window, int& width, int& height);
    // The SDL window id of a dialog window, for injected events.
    uint32_t sdlWindowId(DialogWindow window);
    DialogFont& font() { return *font_; }

private:
    struct Native {
        std::unique_ptr<SdlWindow> window;
        bool dirty = true;
        DialogControl focus = 0;
        DialogControl pressed = 0;  // a button held down by the mouse
        DialogControl popup = 0;    // the combo box whose list is open
        int hover = -1;             // the item under the pointer in the open list
        std::vector<uint32_t> pixels;
    };

    SdlDialogToolkit() = default;
    bool createNative(WindowState& window) override;
    void destroyNative(WindowState& window) override;
    void changed(DialogWindow window) override;
    void waitForInput(DialogWindow modal) override;
    void pollInput() override;
    // Shows the visible windows (drawing the changed ones) and hides the others.
    void present();
    // Handles the events the watch has copied, after emptying SDL's own queue.
    void dispatchEvents();
    // The hand cursor over a link, the arrow elsewhere.
    void pointAt(DialogWindow window, int x, int y);
    uint64_t now() const override { return SDL_GetTicks64(); }

    static int watch(void* user, SDL_Event* event);
    DialogWindow windowOf(uint32_t sdlId) const;
    void handle(const SDL_Event& event);
    void mouseDown(DialogWindow window, Native& native, int x, int y);
    void mouseUp(DialogWindow window, Native& native, int x, int y);
    void keyDown(DialogWindow window, Native& native, const SDL_Keysym& key);
    void moveFocus(DialogWindow window, Native& native, bool backwards);
    void comboStep(DialogControl combo, int step);
    DialogControl hit(DialogWindow window, int x, int y) const;
    bool focusable(DialogControl control) const;

    // Drawing.
    void draw(DialogWindow window, Native& native);
    void drawControl(DialogWindow window, Native& native, DialogControl id,
                     const DialogControlState& control);
    void fill(Native& native, int width, const DialogRect& rect, uint32_t rgb);
    void drawInformationIcon(Native& native, int width, const DialogRect& rect);
    void frame(Native& native, int width, const DialogRect& rect, uint32_t rgb);
    void text(Native& native, int width, const DialogRect& clip, int x, int y,
              std::u16string_view line, uint32_t rgb);
    // Lines of a text split at line breaks and wrapped to the width.
    std::vector<std::u16string> lines(std::u16string_view text, int width);
    DialogRect comboBox(const DialogControlState& control) const;
    DialogRect comboList(const DialogControlState& control) const;
    int tabAt(const DialogControlState& tab, int x, int y);

    std::unique_ptr<DialogFont> font_;
    int32_t unit_ = 0;
    std::map<DialogWindow, Native> natives_;
    std::deque<SDL_Event> events_;
    std::deque<Step> steps_;
    SDL_Cursor* hand_ = nullptr;
    bool overLink_ = false;
};

}  // namespace platform::window

#pragma once
// The toolkit under the settings dialog and the version check's dialogs: top-level dialog
// windows with labels, read-only edits, drop-down combo boxes, check boxes, push buttons, a tab
// control, the information icon and links, each window with its own modal message loop (or
// pumped by its owner while it stays modeless), timers and a Yes/No box. Dialog code is written
// once against this class; the headless toolkit keeps the controls as data for tests and hidden
// runs, the SDL toolkit draws them. The base keeps the windows, the controls and the posted
// messages; the toolkits add how a loop waits for input and how windows appear.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window/combo_items.h"

namespace platform::window {

using DialogWindow = int32_t;   // 0: none
using DialogControl = int32_t;  // 0: none

struct DialogRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool contains(int32_t px, int32_t py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

enum class DialogControlKind {
    Tab,     // a tab control; its items are its tabs
    Label,   // static text, lines split at "\r\n"
    Edit,    // one read-only line
    Report,  // multi-line read-only text with a vertical scroll bar
    Combo,   // a drop-down list; the rectangle includes the list
    Check,   // a check box whose mark the owner sets
    Button,  // a push button
    Icon,    // the information icon, centred in its rectangle
    Link,    // blue underlined text centred in its rectangle; the hand cursor; clicked as a button
};

// Notification codes of a command.
inline constexpr uint32_t kDialogClicked = 0;
inline constexpr uint32_t kDialogSelectionChanged = 1;

// What a dialog window tells its owner. Calls come from the window's loop or from inside an
// operation of the toolkit (a click is delivered at once).
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // A button or check box was clicked, or a combo box's selection changed.
    virtual void command(uint32_t code, DialogControl control) = 0;
    // The user selected another tab of the tab control.
    virtual void tabChanged(DialogControl tab) { (void)tab; }
    virtual void timer(uint32_t id) { (void)id; }
    // The close box, or Escape: the window asks to be closed.
    virtual void close() = 0;
    // Whether a label or check box stands transparently on its tab page rather than on the
    // dialog's face colour.
    virtual bool transparent(DialogControl control) {
        (void)control;
        return false;
    }
};

// One control as data.
struct DialogControlState {
    DialogWindow window = 0;
    DialogControlKind kind = DialogControlKind::Label;
    std::u16string text;
    DialogRect rect;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    ComboItems items;                  // combo boxes
    std::vector<std::u16string> tabs;  // tab controls
    int tabSelection = 0;
    int scroll = 0;  // first line shown by a report edit
};

class DialogToolkit {
public:
    virtual ~DialogToolkit() = default;
    DialogToolkit(const DialogToolkit&) = delete;
    DialogToolkit& operator=(const DialogToolkit&) = delete;

    // The dialog unit U in pixels: the height of the dialog font's one-line sample.
    virtual int32_t unit() const = 0;

    // A hidden window with a client area of the given size, centred on the screen, owned by
    // `owner` (0 for none); 0 when it cannot be created. `events` must outlive the window.
    DialogWindow createWindow(std::u16string_view title, int32_t clientWidth, int32_t clientHeight,
                              DialogWindow owner, DialogEvents* events);
    void destroyWindow(DialogWindow window);
    void showWindow(DialogWindow window, bool visible);
    // A disabled window takes no input (the owner of a running sub-dialog).
    void enableWindow(DialogWindow window, bool enabled);
    // Brings the window to the front with the keyboard focus.
    virtual void activateWindow(DialogWindow window) { (void)window; }
    // The window handle given to the input devices; null for no window.
    virtual void* nativeHandle(DialogWindow window) = 0;

    DialogControl addControl(DialogWindow window, DialogControlKind kind, std::u16string_view text,
                             const DialogRect& rect, bool visible = true);
    void setText(DialogControl control, std::u16string_view text);
    void enable(DialogControl control, bool enabled);
    void show(DialogControl control, bool visible);
    void setCheck(DialogControl control, bool checked);
    int comboAdd(DialogControl control, std::u16string_view text, intptr_t data);
    void comboClear(DialogControl control);
    // Selects the first item with that data; no change when none has it.
    void comboSelectByData(DialogControl control, intptr_t data);
    // The selected item's data, or -1.
    intptr_t comboSelectedData(DialogControl control) const;
    void addTab(DialogControl tab, std::u16string_view text);
    int tabSelection(DialogControl tab) const;
    // The part of a tab control below its tabs, in the window's client coordinates.
    DialogRect tabDisplayArea(DialogControl tab) const;

    // Runs the window's loop until a quit is posted (the quit ends the innermost loop).
    void runModal(DialogWindow window);
    void postQuit() { quitPosted_ = true; }
    // For modeless windows, pumped by their owner: delivers everything posted and the input
    // that has arrived, without waiting for more.
    void pumpMessages();
    // Queues a command or a close for the window, delivered by the running loop.
    void postCommand(DialogWindow window, uint32_t code, DialogControl control);
    void postClose(DialogWindow window);
    // Timer `id` fires every `milliseconds` while the window exists; a second call restarts it.
    void setTimer(DialogWindow window, uint32_t id, uint32_t milliseconds);
    void killTimer(DialogWindow window, uint32_t id);
    // Asks a question with Yes and No; returns kIdYes or kIdNo (message_box.h).
    virtual int messageBoxYesNo(DialogWindow owner, std::u16string_view text,
                                std::u16string_view caption) = 0;

    // Inspection, for drawing and for tests.
    const DialogControlState* control(DialogControl control) const;
    std::vector<DialogControl> controlsOf(DialogWindow window) const;
    bool windowExists(DialogWindow window) const { return find(window) != nullptr; }
    bool windowVisible(DialogWindow window) const;
    bool windowEnabled(DialogWindow window) const;
    std::u16string windowTitle(DialogWindow window) const;
    int32_t windowWidth(DialogWindow window) const;
    int32_t windowHeight(DialogWindow window) const;
    // The window of the innermost running loop, 0 when none runs.
    DialogWindow modalWindow() const { return loops_.empty() ? 0 : loops_.back(); }

protected:
    DialogToolkit() = default;

    struct Timer {
        uint32_t id;
        uint32_t milliseconds;
        uint64_t due;  // in the toolkit's clock, for toolkits that keep one
    };
    struct WindowState {
        DialogWindow id = 0;
        std::u16string title;
        int32_t width = 0;
        int32_t height = 0;
        DialogWindow owner = 0;
        DialogEvents* events = nullptr;
        bool visible = false;
        bool enabled = true;
        std::vector<Timer> timers;
    };

    // Hooks of the toolkits. Creating the native side may fail (the window is then dropped).
    virtual bool createNative(WindowState& window) = 0;
    virtual void destroyNative(WindowState& window) = 0;
    // Something of the window changed: it is drawn again when it next waits.
    virtual void changed(DialogWindow window) { (void)window; }
    // Called by a running loop with nothing posted: waits for input and delivers it (or
    // fires timers), returning after at least one message or when a quit was posted.
    virtual void waitForInput(DialogWindow modal) = 0;
    // Called by pumpMessages: delivers the input that has arrived (or a due timer) and returns
    // at once.
    virtual void pollInput() = 0;
    // The time the timers count in, in milliseconds.
    virtual uint64_t now() const { return 0; }

    WindowState* find(DialogWindow window);
    const WindowState* find(DialogWindow window) const;
    DialogControlState* controlState(DialogControl control);
    // Delivers the timers of every window that are due; true when one fired.
    bool fireDueTimers();
    // Delivers a click, a selection or a tab change as the user's action would.
    void deliverCommand(DialogControl control, uint32_t code);
    void deliverTabChange(DialogControl tab);
    void deliverTimer(DialogWindow window, uint32_t id);
    void deliverClose(DialogWindow window);
    // Whether the user may act on the window: it exists, is visible and enabled.
    bool accepting(DialogWindow window) const;
    bool quitPosted() const { return quitPosted_; }

    std::vector<std::unique_ptr<WindowState>> windows_;
    // Control id = index + 1; the controls of a destroyed window stay as records of no window.
    std::vector<DialogControlState> controls_;

private:
    struct Posted {
        DialogWindow window;
        bool close;
        uint32_t code;
        DialogControl control;
    };
    void deliverPosted(const Posted& message);
    std::deque<Posted> posted_;
    std::vector<DialogWindow> loops_;
    bool quitPosted_ = false;
    DialogWindow nextWindow_ = 1;
};

}  // namespace platform::window

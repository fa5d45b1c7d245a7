#pragma once
// The dialog toolkit without a display: windows and controls are only data. A test scripts
// the user's actions as steps that the running loops take one at a time whenever nothing is
// posted; when the script has run out, the innermost window is closed as by its close box, so
// a run never waits for input that cannot come. Pumps of modeless windows take their steps
// from a script of their own, one step a pump, and deliver nothing once it has run out.
#include <functional>
#include <string>
#include <vector>

#include "platform/window/dialog_toolkit.h"

namespace platform::window {

class HeadlessDialogToolkit final : public DialogToolkit {
public:
    using Step = std::function<void(HeadlessDialogToolkit&)>;

    explicit HeadlessDialogToolkit(int32_t unit) : unit_(unit) {}

    int32_t unit() const override { return unit_; }
    void* nativeHandle(DialogWindow window) override { return find(window); }
    int messageBoxYesNo(DialogWindow owner, std::u16string_view text,
                        std::u16string_view caption) override;

    // Tests of the failure paths: no window can be created.
    void refuseWindows(bool refuse) { refuseWindows_ = refuse; }

    // Appends a step of the user's actions to the script of the modal loops.
    void then(Step step) { script_.push_back(std::move(step)); }
    // Appends a step to the script of the pumps.
    void thenAtPump(Step step) { pumpScript_.push_back(std::move(step)); }

    // The user's actions; each is refused (false) when the control is missing, hidden or
    // disabled, or its window takes no input.
    // A click on a button, check box or link.
    bool click(DialogControl control);
    // Picks the combo box's item with that data (a selection-change command follows).
    bool select(DialogControl combo, intptr_t data);
    bool selectTab(DialogControl tab, int index);
    // Fires timer `id` of the innermost window that runs it; false when none does.
    bool tick(uint32_t id);
    // The close box of a window.
    void close(DialogWindow window) { deliverClose(window); }
    // The answers of the coming Yes/No boxes, in order; a box without an answer gets No.
    void answerYesNo(bool yes) { answers_.push_back(yes); }

    // The first control of the window (any window when 0) with that text; 0 when none has it.
    DialogControl find(DialogWindow window, std::u16string_view text) const;
    // The nth control of that kind in the window, from 0; 0 when there are fewer.
    DialogControl nth(DialogWindow window, DialogControlKind kind, int n) const;
    // The windows that exist, oldest first.
    std::vector<DialogWindow> windows() const;

    struct Question {
        DialogWindow owner;
        std::u16string text;
        std::u16string caption;
    };
    const std::vector<Question>& questions() const { return questions_; }

private:
    bool createNative(WindowState&) override { return !refuseWindows_; }
    void destroyNative(WindowState&) override {}
    void waitForInput(DialogWindow modal) override;
    void pollInput() override;
    using DialogToolkit::find;
    // The control exists, can be operated and its window takes input.
    bool operable(DialogControl control, DialogControlKind kind) const;

    int32_t unit_;
    std::deque<Step> script_;
    std::deque<Step> pumpScript_;
    std::deque<bool> answers_;
    std::vector<Question> questions_;
    bool refuseWindows_ = false;
    DialogWindow closedIdle_ = 0;  // the window closed when the script ran out
};

}  // namespace platform::window

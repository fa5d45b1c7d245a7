#include "engine/config/version_check_dialogs.h"

#include "platform/window/headless_dialog_toolkit.h"
#include "platform/window/sdl_dialog_toolkit.h"

using platform::window::DialogControl;
using platform::window::DialogControlKind;
using platform::window::DialogEvents;
using platform::window::DialogRect;
using platform::window::DialogToolkit;
using platform::window::DialogWindow;

namespace {

// The dialog unit of a headless toolkit.
constexpr int32_t kHeadlessUnit = 16;

// A push button of the usual size centred at height `y` (sizes in eighths of the unit U).
DialogRect centredButton(int32_t unit, int32_t clientWidth, int32_t y) {
    const int32_t width = unit * 6, height = unit * 14 / 8;
    return {(clientWidth - width) / 2, y, width, height};
}

}  // namespace

class VersionCheckDialogs::ProgressEvents final : public DialogEvents {
public:
    explicit ProgressEvents(bool& quitRequested) : quitRequested_(quitRequested) {}
    void command(uint32_t code, DialogControl control) override {
        if (code == platform::window::kDialogClicked && control == cancel) quitRequested_ = true;
    }
    void close() override { quitRequested_ = true; }

    DialogControl cancel = 0;

private:
    bool& quitRequested_;
};

class VersionCheckDialogs::NewerVersionEvents final : public DialogEvents {
public:
    explicit NewerVersionEvents(DialogToolkit& toolkit) : toolkit_(toolkit) {}
    void command(uint32_t code, DialogControl control) override {
        if (code != platform::window::kDialogClicked) return;
        if (control == link) {
            answer = Answer::Link;
            toolkit_.postQuit();
        } else if (control == ok) {
            toolkit_.postQuit();
        }
    }
    // Closing the dialog answers as "OK" does.
    void close() override { toolkit_.postQuit(); }

    DialogControl link = 0;
    DialogControl ok = 0;
    Answer answer = Answer::Ok;

private:
    DialogToolkit& toolkit_;
};

VersionCheckDialogs::VersionCheckDialogs() = default;

VersionCheckDialogs::VersionCheckDialogs(DialogToolkit& toolkit) : toolkit_(&toolkit) {}

VersionCheckDialogs::~VersionCheckDialogs() { closeProgress(); }

bool VersionCheckDialogs::openProgress() {
    closeProgress();
    if (!toolkit_) {
        owned_ = platform::window::SdlDialogToolkit::open();
        if (!owned_)
            owned_ = std::make_unique<platform::window::HeadlessDialogToolkit>(kHeadlessUnit);
        toolkit_ = owned_.get();
    }
    DialogToolkit& toolkit = *toolkit_;
    const int32_t u = toolkit.unit();
    const int32_t width = u * 24, height = u * 5;
    quitRequested_ = false;
    progressEvents_ = std::make_unique<ProgressEvents>(quitRequested_);
    progress_ = toolkit.createWindow(kProgressCaption, width, height, 0, progressEvents_.get());
    if (!progress_) {
        closeProgress();
        return false;
    }
    toolkit.addControl(progress_, DialogControlKind::Label, kProgressText,
                       {u, u, width - 2 * u, u});
    progressEvents_->cancel = toolkit.addControl(
        progress_, DialogControlKind::Button, kProgressCancel, centredButton(u, width, u * 11 / 4));
    toolkit.showWindow(progress_, true);
    toolkit.activateWindow(progress_);
    return true;
}

bool VersionCheckDialogs::pumpMessages() {
    if (toolkit_) toolkit_->pumpMessages();
    return !quitRequested_;
}

UpdaterDialogs::Answer VersionCheckDialogs::showNewerVersion(const char16_t* shortTitle) {
    if (!toolkit_) return Answer::Ok;
    DialogToolkit& toolkit = *toolkit_;
    const int32_t u = toolkit.unit();
    const int32_t width = u * 34, height = u * 9;
    NewerVersionEvents events(toolkit);
    const DialogWindow window = toolkit.createWindow(shortTitle, width, height, progress_, &events);
    if (!window) return Answer::Ok;
    toolkit.addControl(window, DialogControlKind::Icon, u"", {u, u, u * 2, u * 2});
    toolkit.addControl(window, DialogControlKind::Label, kNewerVersionText,
                       {u * 4, u, width - u * 5, u * 3});
    events.link = toolkit.addControl(window, DialogControlKind::Link, kNewerVersionLink,
                                     {u, u * 5, width - 2 * u, u});
    events.ok = toolkit.addControl(window, DialogControlKind::Button, u"OK",
                                   centredButton(u, width, u * 13 / 2));
    // Modal over the progress dialog: the owner takes no input while it runs.
    if (progress_) toolkit.enableWindow(progress_, false);
    toolkit.showWindow(window, true);
    toolkit.activateWindow(window);
    toolkit.runModal(window);
    toolkit.destroyWindow(window);
    if (progress_) toolkit.enableWindow(progress_, true);
    return events.answer;
}

void VersionCheckDialogs::closeProgress() {
    if (toolkit_ && progress_) toolkit_->destroyWindow(progress_);
    progress_ = 0;
    progressEvents_.reset();
    // A toolkit of our own goes with its dialog, so that the display is free for the next.
    if (owned_) {
        owned_.reset();
        toolkit_ = nullptr;
    }
}

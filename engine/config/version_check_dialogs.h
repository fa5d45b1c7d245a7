#pragma once
#include <memory>

#include "engine/config/updater_link.h"
#include "platform/window/dialog_toolkit.h"

// The version check's two dialogs on a dialog toolkit: the modeless progress dialog, whose
// "キャンセル" and close box ask the check to stop at its next pump step, and the modal
// newer-version dialog over it with the information icon, the text, the link to the maker's
// home page and "OK".
class VersionCheckDialogs final : public UpdaterDialogs {
public:
    // On the display when one can be opened (from openProgress until closeProgress), otherwise
    // headless: the check then runs unseen and the newer-version dialog answers "OK".
    VersionCheckDialogs();
    // On the given toolkit (tests drive a headless one).
    explicit VersionCheckDialogs(platform::window::DialogToolkit& toolkit);
    ~VersionCheckDialogs() override;
    VersionCheckDialogs(const VersionCheckDialogs&) = delete;
    VersionCheckDialogs& operator=(const VersionCheckDialogs&) = delete;

    bool openProgress() override;
    bool pumpMessages() override;
    Answer showNewerVersion(const char16_t* shortTitle) override;
    void closeProgress() override;

    // The toolkit in use (null before openProgress when none was given) and the open progress
    // dialog (0 when none).
    platform::window::DialogToolkit* toolkit() const { return toolkit_; }
    platform::window::DialogWindow progressWindow() const { return progress_; }

private:
    class ProgressEvents;
    class NewerVersionEvents;

    std::unique_ptr<platform::window::DialogToolkit> owned_;
    platform::window::DialogToolkit* toolkit_ = nullptr;
    std::unique_ptr<ProgressEvents> progressEvents_;
    platform::window::DialogWindow progress_ = 0;
    bool quitRequested_ = false;
};

// The dialogs' texts.
inline constexpr const char16_t* kProgressCaption = u"最新バージョンの確認中";
inline constexpr const char16_t* kProgressText = u"ゲームが最新バージョンかどうか確認中です";
inline constexpr const char16_t* kProgressCancel = u"キャンセル";
inline constexpr const char16_t* kNewerVersionText =
    u"現在インストールされているバージョンより新しいバージョンの\nゲームが公開されています。\n"
    u"Norvaneのホームページを御覧ください。";
inline constexpr const char16_t* kNewerVersionLink = u"Norvaneのホームページを開く";

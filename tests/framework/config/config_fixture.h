#pragma once
// The settings dialog's tests: the framework in a temporary home with the settings file at
// "<temp>/data/game.ini", reports captured, and a headless toolkit with U = 16.
#include <optional>
#include <string>
#include <vector>

#include "framework/config/config_dialog.h"
#include "platform/window/headless_dialog_toolkit.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {

class ConfigDialogTest : public FrameworkFiles {
protected:
    void SetUp() override;
    void TearDown() override;

    void writeSettings(const std::string& text) const { temp().write("data/game.ini", text); }
    // The settings file's bytes ("" when there is none).
    std::string settings() const;
    std::u16string settingsPath() const;
    // The value of a key in the settings file, or "(none)".
    std::u16string setting(const char16_t* section, const char16_t* key) const;
    // Texts of the captured reports at a level.
    std::vector<std::u16string> reports(int level) const;

    platform::window::HeadlessDialogToolkit toolkit{16};
    PEL_MSW_CONFIG dialog{};
    std::optional<ReportCapture> capture;  // made after the framework started
};

}  // namespace tessera::test

#include "tests/framework/config/config_fixture.h"

#include <filesystem>

#include "framework/msw/msw.h"
#include "platform/os/profile_file.h"
#include "platform/os/utf8.h"

namespace tessera::test {

void ConfigDialogTest::SetUp() {
    FrameworkFiles::SetUp();
    std::filesystem::create_directories(temp().path() + "/data");
    pelMswConfigInitDialog(&dialog);
    dialog.caption = u"Test game";
    capture.emplace(ReportCapture::Fatal::Return);
}

void ConfigDialogTest::TearDown() {
    capture.reset();
    FrameworkFiles::TearDown();
}

std::string ConfigDialogTest::settings() const {
    const std::string path = temp().path() + "/data/game.ini";
    return std::filesystem::exists(path) ? readFileBytes(path) : std::string();
}

std::u16string ConfigDialogTest::settingsPath() const {
    char16_t path[kPelMswPathSize];
    pelMswGetSettingsFilePath(path);
    return path;
}

std::u16string ConfigDialogTest::setting(const char16_t* section, const char16_t* key) const {
    char16_t value[256];
    platform::os::getPrivateProfileString(section, key, u"(none)", value, 256,
                                          settingsPath().c_str());
    return value;
}

std::vector<std::u16string> ConfigDialogTest::reports(int level) const {
    std::vector<std::u16string> texts;
    for (const ReportCapture::Entry& entry : ReportCapture::entries()) {
        if (entry.level == level) texts.push_back(entry.text);
    }
    return texts;
}

}  // namespace tessera::test

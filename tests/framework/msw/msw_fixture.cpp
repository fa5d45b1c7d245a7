#include "tests/framework/msw/msw_fixture.h"

#include <filesystem>

#include "framework/core/report.h"
#include "framework/msw/msw.h"
#include "platform/window/message_box.h"

namespace tessera::test {

void MswFiles::SetUp() {
    FrameworkFiles::SetUp();
    boxes().clear();
    platform::window::setMessageBoxObserver(
        [](std::string_view text, std::string_view caption, uint32_t style) {
            boxes().push_back({std::string(text), std::string(caption), style});
        });
    pelReportSetExitHook([](int32_t) {});
}

void MswFiles::TearDown() {
    pelMswFinalize();
    pelReportSetExitHook(nullptr);
    platform::window::setMessageBoxObserver(nullptr);
    FrameworkFiles::TearDown();
}

void MswFiles::writeSettings(const std::string& text) const { temp().write("data/game.ini", text); }

std::string MswFiles::logBytes() const {
    if (!std::filesystem::exists(logPath())) return "(none)";
    return readFileBytes(logPath());
}

std::vector<MswFiles::Box>& MswFiles::boxes() {
    static std::vector<Box> recorded;
    return recorded;
}

}  // namespace tessera::test

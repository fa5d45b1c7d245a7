// The window platform's start, its settings and its log.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/report.h"
#include "framework/file/path.h"
#include "framework/msw/msw.h"
#include "platform/os/module_path.h"
#include "platform/os/utf8.h"
#include "platform/window/message_box.h"
#include "tests/framework/msw/msw_fixture.h"
#include "tests/framework/support/report_capture.h"
#include "tests/platform/os/child_process.h"

namespace tessera::test {
namespace {

using platform::window::kMbIconError;
using platform::window::kMbIconWarning;

constexpr char kMark[] = "\xEF\xBB\xBF";

void reportEveryLevel() {
    pelReportText(PEL_REPORT_ERROR, u"e");
    pelReportText(PEL_REPORT_WARNING, u"w");
    pelReportText(PEL_REPORT_MESSAGE, u"m");
    pelReportText(PEL_REPORT_INFORMATION, u"i");
    pelReportText(PEL_REPORT_DEBUG, u"d");
}

using LogSink = MswFiles;

TEST_F(LogSink, SettingsChooseWhatTheLogHolds) {
    struct Case {
        const char* settings;
        std::string log;
    };
    const std::string all = std::string(kMark) + "[Err] e\r\n[Warn] w\r\n[Mes] m\r\n";
    const Case cases[] = {
        {"", all},
        {"[debug]\r\nlevel=WARNING\r\n", std::string(kMark) + "[Err] e\r\n[Warn] w\r\n"},
        {"[Debug]\nLevel = error\n", std::string(kMark) + "[Err] e\r\n"},
        {"[debug]\nlevel=Information\n", all + "[Info] i\r\n"},
        {"[debug]\nlevel=debug\nfileFlush=1\n", all + "[Info] i\r\n[Debug] d\r\n"},
        {"[debug]\nlevel=verbose\n", all},  // an unknown word keeps the level at message
        {"[debug]\nlevel=warn\n", all},
        {"[debug]\nfile=0\nlevel=debug\n", "(none)"},
        {"[debug]\nfile=0x0\n", "(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        writeSettings(c.settings);
        std::filesystem::remove(logPath());
        boxes().clear();
        pelMswInitialize();
        reportEveryLevel();
        EXPECT_EQ(logBytes(), c.log);
        // Errors and warnings open a box whatever the level and whether or not there is a
        // log: the text without prefix, the prefix as caption.
        ASSERT_EQ(boxes().size(), 2u);
        EXPECT_EQ(boxes()[0].cp932Text, "e");
        EXPECT_EQ(boxes()[0].cp932Caption, "[Err] ");
        EXPECT_EQ(boxes()[0].style, kMbIconError);
        EXPECT_EQ(boxes()[1].cp932Text, "w");
        EXPECT_EQ(boxes()[1].cp932Caption, "[Warn] ");
        EXPECT_EQ(boxes()[1].style, kMbIconWarning);
        pelMswFinalize();
    }
}

TEST_F(LogSink, LinesAreInTheFileAsTheyAreReported) {
    pelMswInitialize();
    pelMswSetLogLevel(PEL_REPORT_INFORMATION);
    std::string expected = kMark;
    const std::vector<std::pair<int32_t, std::u16string>> reports = {
        {PEL_REPORT_INFORMATION, u"Information: [appInit] This is logger of netsync"},
        {PEL_REPORT_MESSAGE, u"two\nlines"},
        {PEL_REPORT_MESSAGE, u"cr lf\r\nkept"},
        {PEL_REPORT_INFORMATION, u"\u65E5\u672C\u00E9"},
        {7, u"no prefix above debug"},
        {-1, u"no prefix below error"},
    };
    const std::vector<std::string> lines = {
        "[Info] Information: [appInit] This is logger of netsync\r\n",
        "[Mes] two\r\nlines\r\n",
        "[Mes] cr lf\r\nkept\r\n",
        "[Info] \xE6\x97\xA5\xE6\x9C\xAC\xC3\xA9\r\n",
        "",  // above the configured level
        "no prefix below error\r\n",
    };
    for (size_t i = 0; i < reports.size(); ++i) {
        pelReportText(reports[i].first, reports[i].second.c_str());
        expected += lines[i];
        EXPECT_EQ(logBytes(), expected) << "after report " << i;
    }
    pelMswLogWrite(u"raw text", 3);
    EXPECT_EQ(logBytes(), expected + "raw");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(LogSink, BoxesKeepCharactersOutsideCp932) {
    pelMswInitialize();
    testing::internal::CaptureStderr();
    platform::window::setMessageBoxObserver(nullptr);
    setenv("TESSERA_HEADLESS", "1", 1);
    pelReportText(PEL_REPORT_WARNING, u"Warning: [x] \u00E9t\u00E9 \U0001F600");
    setenv("TESSERA_HEADLESS", "0", 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[[Warn] ] Warning: [x] \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80\n");
}

TEST_F(LogSink, FinalizeRestoresStandardErrorAndClosesTheLog) {
    pelMswInitialize();
    pelReportText(PEL_REPORT_MESSAGE, u"in the log");
    pelMswFinalize();
    pelMswFinalize();  // a second stop does nothing
    testing::internal::CaptureStderr();
    pelReportText(PEL_REPORT_MESSAGE, u"after");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "after\n");
    EXPECT_EQ(logBytes(), std::string(kMark) + "[Mes] in the log\r\n");
    // The next start rewrites the log.
    pelMswInitialize();
    pelReportText(PEL_REPORT_MESSAGE, u"second run");
    EXPECT_EQ(logBytes(), std::string(kMark) + "[Mes] second run\r\n");
}

TEST_F(LogSink, SecondStartLeavesTheRunningGamesLogAlone) {
    pelMswInitialize();
    pelReportText(PEL_REPORT_MESSAGE, u"running game");
    const std::string before = logBytes();
    // The second start is another process that begins while this one runs.
    ChildProcess second([](int, int) {
        pelMswFinalize();  // the copy of this process's module steps aside first
        boxes().clear();
        pelMswInitialize();
        pelReportText(PEL_REPORT_MESSAGE, u"second start");
        pelReportText(PEL_REPORT_WARNING, u"still shown");
        pelMswLogWrite(u"raw", 3);
        return boxes().size() == 1 && boxes()[0].cp932Text == "still shown" ? 0 : 1;
    });
    EXPECT_EQ(second.wait(), 0);
    EXPECT_EQ(logBytes(), before);
    pelReportText(PEL_REPORT_MESSAGE, u"still running");
    EXPECT_EQ(logBytes(), before + "[Mes] still running\r\n");
}

TEST_F(LogSink, StartCreatesTheDataFolders) {
    pelFileSetAppDirectory(u"MyGame");
    pelMswInitialize();
    EXPECT_TRUE(std::filesystem::is_directory(temp().path() + "/data/MyGame"));
    EXPECT_TRUE(std::filesystem::is_directory(temp().path() + "/config/MyGame"));
    pelReportText(PEL_REPORT_MESSAGE, u"m");
    EXPECT_TRUE(std::filesystem::exists(temp().path() + "/data/MyGame/game.log"));
}

TEST_F(LogSink, DataFolderThatCannotBeMadeIsFatal) {
    const std::string blocked = temp().write("blocked", "a file where a folder should be");
    setenv("XDG_DATA_HOME", blocked.c_str(), 1);
    ReportCapture capture;
    EXPECT_THROW(pelMswInitialize(), FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].level, PEL_REPORT_ERROR);
    EXPECT_EQ(ReportCapture::entries()[0].text, u"Error: Can't initialized.");
}

using DataPath = MswFiles;

TEST_F(DataPath, NamedAfterTheExecutable) {
    struct Case {
        const char* executable;
        const char16_t* extension;
        const char16_t* dataPath;
        const char* settingsBelowTemp;
    };
    const Case cases[] = {
        {"/Bin/tessera", u"ini", u"//<localappdata>/tessera.ini", "/data/tessera.ini"},
        {"/Bin/game.exe", u"log", u"//<localappdata>/game.log", "/data/game.ini"},
        {"/Bin/my.game.bin", u".prm", u"//<localappdata>/my.game.prm", "/data/my.game.ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.executable);
        platform::os::overrideModuleFileName(temp().path() + c.executable);
        char16_t path[kPelMswPathSize];
        pelMswGetDataFilePath(path, c.extension);
        EXPECT_EQ(std::u16string(path), c.dataPath);
        pelMswGetSettingsFilePath(path);
        EXPECT_EQ(platform::os::utf16ToUtf8(path), temp().path() + c.settingsBelowTemp);
    }
    pelFileSetAppDirectory(u"MyGame");
    char16_t path[kPelMswPathSize];
    pelMswGetSettingsFilePath(path);
    EXPECT_EQ(platform::os::utf16ToUtf8(path), temp().path() + "/data/MyGame/my.game.ini");
}

}  // namespace
}  // namespace tessera::test

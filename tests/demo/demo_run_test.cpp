// The demo run from its packaged game folder without a display, as scripts/run runs it there:
// temporary user folders with a settings file for a 640 x 480 window, the run harness ending
// the run after a fixed number of frames and capturing every 20th frame of each engine run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/engine/startup/settings_fixture.h"
#include "tests/support/external_tools.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

struct DemoRun {
    int exitCode = -1;
    std::string log;
    std::string errors;  // standard error: the reports made before the log opens
};

// A headless start in a home of its own (application data, settings and the single-instance
// names inside `home`) with a settings file for a window of 640 x 480.
DemoRun runDemo(const TempDir& home, const std::string& captures, int frames) {
    std::filesystem::create_directories(home.file("data/TesseraDemo"));
    writeWindowSettings(home.file("data/TesseraDemo/tessera.ini"), 640, 480);
    std::filesystem::create_directories(home.file("config"));
    std::filesystem::create_directories(home.file("run"));
    std::filesystem::permissions(home.file("run"), std::filesystem::perms::owner_all);
    std::filesystem::create_directories(captures);
    const std::string command =
        "TESSERA_HEADLESS=1 XDG_DATA_HOME='" + home.file("data") + "' XDG_CONFIG_HOME='" +
        home.file("config") + "' XDG_RUNTIME_DIR='" + home.file("run") + "' TESSERA_PROGRAM_DIR='" +
        std::getenv("TESSERA_DEMO_GAME_DIR") + "' TESSERA_RUN_FRAMES=" + std::to_string(frames) +
        " TESSERA_CAPTURE_DIR='" + captures +
        "' TESSERA_CAPTURE_SPAN=19 '" TESSERA_APP_PATH "' 2>'" + home.file("stderr.txt") + "'";
    DemoRun run;
    run.exitCode = commandExitStatus(command);
    run.log = readFileBytes(home.file("data/TesseraDemo/tessera.log"));
    run.errors = readFileBytes(home.file("stderr.txt"));
    return run;
}

// The splash takes 130 frames and the title's opening about 65 more, so 240 frames show both.
TEST(DemoRun, SplashThenTitleMenuHeadlessMatchTheirGoldens) {
    TempDir home;
    const std::string captures = home.file("captures");
    const DemoRun run = runDemo(home, captures, 240);
    EXPECT_EQ(run.exitCode, 0);

    // "system.dat" is mounted before the log opens, so its line goes to standard error.
    EXPECT_NE(run.errors.find("load resource \"system.dat\""), std::string::npos) << run.errors;
    for (const char* line :
         {"load resource \"res.dat\"", "Tessera demo: ほしのタイル", "Res: 640 x 480"})
        EXPECT_NE(run.log.find(line), std::string::npos) << line << "\n" << run.log;
    EXPECT_EQ(run.log.find("[Err]"), std::string::npos) << run.log;
    EXPECT_EQ(run.log.find("[Warn]"), std::string::npos) << run.log;

    // Engine run 0 is the splash, run 1 the title menu; capture n shows frame 20 (n + 1).
    const struct {
        const char* capture;
        const char* golden;
    } shots[] = {{"run0-2", "splash"}, {"run1-0", "switch"}, {"run1-4", "title"}};
    for (const auto& shot : shots) {
        SCOPED_TRACE(shot.capture);
        const auto frame = readFrame(captures + "/" + shot.capture + ".bmp");
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->width, 640u);
        ASSERT_EQ(frame->height, 480u);
        EXPECT_TRUE(matchesGolden(boxScale4(*frame), "demo", shot.golden));
    }
}

}  // namespace
}  // namespace tessera::test

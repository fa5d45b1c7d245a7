// The demo run from its packaged game folder without a display, as scripts/run runs it there:
// temporary user folders with a settings file for a 640 x 480 window, the run harness ending
// the run after a fixed number of frames and capturing every 20th frame of each engine run.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/d3d9/direct3d9.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

// The settings dialog's text for the first adapter, as it names it in the settings file.
std::string adapterGuid() {
    using namespace platform::d3d9;
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DADAPTER_IDENTIFIER9 identifier{};
    direct3d->GetAdapterIdentifier(0, 0, &identifier);
    direct3d->Release();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&identifier.DeviceIdentifier);
    unsigned words[4] = {};
    for (int w = 0; w < 4; ++w)
        for (int b = 3; b >= 0; --b) words[w] = words[w] << 8 | bytes[w * 4 + b];
    char text[64];
    std::snprintf(text, sizeof text, "%x_%x_%x_%x", words[0], words[1], words[2], words[3]);
    return text;
}

// A window of 640 x 480 on the first adapter (display kind 2), saved by an earlier run of the
// settings dialog ("default=1"), so that the dialog loads it instead of its defaults.
std::string windowSettings() {
    return "[Config]\r\ndefault=1\r\nvideoGuid=" + adapterGuid() +
           "\r\nvideoNo=0\r\nvideoColor=2\r\nvideoWidth=640\r\nvideoHeight=480\r\n";
}

struct DemoRun {
    int exitCode = -1;
    std::string log;
    std::string errors;  // standard error: the reports made before the log opens
};

DemoRun runDemo(const TempDir& home, const std::string& captures, int frames) {
    home.write("data/TesseraDemo/tessera.ini", windowSettings());
    home.write("config/.keep", "");
    const std::string command =
        "XDG_DATA_HOME='" + home.file("data") + "' XDG_CONFIG_HOME='" + home.file("config") +
        "' TESSERA_PROGRAM_DIR='" + std::getenv("TESSERA_DEMO_GAME_DIR") +
        "' TESSERA_RUN_FRAMES=" + std::to_string(frames) + " TESSERA_CAPTURE_DIR='" + captures +
        "' TESSERA_CAPTURE_SPAN=19 '" TESSERA_APP_PATH "' 2>'" + home.file("stderr.txt") + "'";
    const int status = std::system(command.c_str());
    DemoRun run;
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.log = readFileBytes(home.file("data/TesseraDemo/tessera.log"));
    run.errors = readFileBytes(home.file("stderr.txt"));
    return run;
}

// The splash takes 130 frames and the title's opening about 65 more, so 240 frames show both.
TEST(DemoRun, SplashThenTitleMenuHeadlessMatchTheirGoldens) {
    TempDir home;
    const std::string captures = home.file("captures");
    home.write("captures/.keep", "");
    const DemoRun run = runDemo(home, captures, 240);
    EXPECT_EQ(run.exitCode, 0);

    // "system.dat" is mounted before the log opens, so its line goes to standard error.
    EXPECT_NE(run.errors.find("load resource \"system.dat\""), std::string::npos) << run.errors;
    for (const char* line :
         {"load resource \"res.dat\"", "Tessera demo: ほしのタイル", "Res: 640 x 480"})
        EXPECT_NE(run.log.find(line), std::string::npos) << line << "\n" << run.log;
    for (const char* bad : {"Error", "Warning", "error", "warning"})
        EXPECT_EQ(run.log.find(bad), std::string::npos) << bad << "\n" << run.log;

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

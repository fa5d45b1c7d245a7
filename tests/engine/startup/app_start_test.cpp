// The start-up and the shutdown in this process, over the suite's packaged game: the settings
// dialog runs headless with a saved 640 x 480 window, the device is the software one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/config/config.h"
#include "engine/startup/app_main.h"
#include "engine/system/system.h"
#include "foundation/DApplication.h"
#include "foundation/DDebug.h"
#include "framework/file/file.h"
#include "platform/os/single_instance.h"
#include "render3d/diagnostics/LExceptGame.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/engine/startup/settings_fixture.h"
#include "tests/framework/support/file_fixture.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {
namespace {

namespace fs = std::filesystem;

std::string gameFile(const std::string& name) {
    return std::string(std::getenv("STARTUP_GAME_DIR")) + "/" + name;
}

std::vector<std::string>& steps() {
    static std::vector<std::string> recorded;
    return recorded;
}

class AppStartTest : public FrameworkFiles {
protected:
    void SetUp() override {
        FrameworkFiles::SetUp();
        ASSERT_TRUE(application_.Init(nullptr, 10));
        mirel::DApplication::SetCurrent(&application_);
        // The single-instance names live in the test's own runtime folder.
        const std::string runtime = temp().path() + "/run";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        savedDiagMode_ = l3dDiagMode;
        steps().clear();
        setAppStepObserver([](const char* step) { steps().push_back(step); });

        fs::create_symlink(gameFile("system.dat"), executableFolder() + "/system.dat");
        fs::copy_file(gameFile("ver"), executableFolder() + "/ver");
        writeWindowSettings(dataFile("game.ini"), 640, 480);
    }
    void TearDown() override {
        shutdown();
        setAppStepObserver(nullptr);
        mirel::DDebug::Global().File().Close();
        l3dDiagMode = savedDiagMode_;
        unsetenv("XDG_RUNTIME_DIR");
        mirel::DApplication::SetCurrent(nullptr);
        FrameworkFiles::TearDown();
    }

    // A file of the game's own folder of the application data ("sys/base" names it).
    std::string dataFile(const std::string& name) const {
        return temp().path() + "/data/startup/" + name;
    }
    void writePack(const std::string& file, const std::u16string& member) const {
        writeBesideExecutable(file, tools::writers::buildApfc({{member, "data"}}));
    }
    static bool mounted(const char16_t* member) {
        return pelFileExists(PEL_FILE_MODE_READ, member) == PEL_OK;
    }

private:
    mirel::DApplication application_;
    uint32_t savedDiagMode_ = 0;
};

TEST_F(AppStartTest, StartsAndStopsInTheFixedOrder) {
    ASSERT_TRUE(appInit());
    ASSERT_NE(appSystem(), nullptr);
    EXPECT_TRUE(appSystem()->flags() & System::FlagInitialised);
    EXPECT_EQ(appRootPackIndex(), 0u);
    shutdown();
    EXPECT_EQ(appSystem(), nullptr);
    EXPECT_EQ(appConfig(), nullptr);
    EXPECT_EQ(steps(), (std::vector<std::string>{"pelInitialize",       "pelReportSetExitHook",
                                                 "loadResource system", "runBaseScript",
                                                 "setGameFloatMode",    "pelMswInitialize",
                                                 "pelD3d9Initialize",   "routeLibraryLog",
                                                 "lfmRegistOverride",   "l3dInit",
                                                 "sprite2Init",         "Config::init",
                                                 "loadResource res",    "pelMswWindowFindRunning",
                                                 "System::init",        "l3dShowDeferredWarnings",
                                                 "delete System",       "delete Config",
                                                 "sprite2Shutdown",     "lfmReleasePacks",
                                                 "l3dTermDiag",         "close library log",
                                                 "pelFinalize"}));
    // "sys/base" chose the folder of the log and of the parameter file, which the initialised
    // System wrote when it was deleted.
    EXPECT_TRUE(fs::exists(dataFile("game.log")));
    EXPECT_TRUE(fs::exists(dataFile("game.prm")));
}

TEST_F(AppStartTest, TheLargeOrSmallResourcesFollowTheWindowWidth) {
    const struct {
        uint32_t width;
        bool smallPack;
        int32_t scale;
        const char16_t* mountedMember;
    } cases[] = {
        {640, true, 2, u"small"},
        {640, false, 1, nullptr},
        {1024, true, 1, u"large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        fs::remove(executableFolder() + "/resS.dat");
        writePack("resL.dat", u"large");
        if (c.smallPack) writePack("resS.dat", u"small");
        writeWindowSettings(dataFile("game.ini"), c.width, c.width * 3 / 4);
        ASSERT_TRUE(appInit());
        EXPECT_EQ(appConfig()->resourceScale, c.scale);
        EXPECT_EQ(mounted(u"large"), c.width >= 1024);
        EXPECT_EQ(mounted(u"small"), c.width < 1024 && c.smallPack);
        shutdown();
    }
}

TEST_F(AppStartTest, ASecondStartAsksTheFirstToRaiseItsWindowAndEndsWithExitCode1) {
    platform::os::SingleInstance first;
    ASSERT_EQ(first.acquire("PELLAM_MSW_WINDOW_CLASS_TAVORIN_ENGINE_STARTUP_SUITE"),
              platform::os::SingleInstance::Result::First);
    EXPECT_EQ(AppMain(), 1);
    EXPECT_TRUE(first.takeRaiseRequests());
    EXPECT_EQ(steps()[steps().size() - 9], "pelMswWindowFindRunning");
    EXPECT_EQ(std::find(steps().begin(), steps().end(), "System::init"), steps().end());
}

TEST_F(AppStartTest, AFatalErrorInSystemInitEndsThroughTheShutdownWithoutParameterFile) {
    // A system pack without the renderer's shader set: building the renderer fails.
    fs::remove(executableFolder() + "/system.dat");
    writeBesideExecutable("system.dat",
                          tools::writers::buildApfc(
                              {{u"sys/base.cnut", readFileBytes(std::getenv("STARTUP_BASE"))},
                               {u"sys/config.cnut", readFileBytes(std::getenv("STARTUP_CONFIG"))},
                               {u"sys/font.ttf", readFileBytes(std::getenv("STARTUP_FONT"))}}));
    EXPECT_EQ(AppMain(), 1);
    EXPECT_EQ(steps().back(), "pelFinalize");
    EXPECT_NE(std::find(steps().begin(), steps().end(), "System::init"), steps().end());
    EXPECT_FALSE(fs::exists(dataFile("game.prm")));
    EXPECT_NE(readFileBytes(dataFile("game.log")).find("sys/renderer.csa"), std::string::npos);
}

TEST(AppReportExitHook, OnlyErrorsUnwindTheGame) {
    EXPECT_THROW(appReportExitHook(0), LExceptGame);
    for (int32_t level = 1; level <= 4; ++level) EXPECT_NO_THROW(appReportExitHook(level));
}

}  // namespace
}  // namespace tessera::test

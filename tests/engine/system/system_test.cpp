// System in a temporary home, headless: what init builds, the parameter file across runs, the
// adapter mapping, the close request and the network session's branches.
#include "engine/system/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "engine/config/config.h"
#include "engine/script/script_vm.h"
#include "engine/system/system_input.h"
#include "framework/msw/msw.h"
#include "framework/msw/window.h"
#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/engine/system/fake_net.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

class SystemTest : public FrameworkFiles {
protected:
    void SetUp() override {
        FrameworkFiles::SetUp();
        pelMswInitialize();
        capture_ = std::make_unique<ReportCapture>();
        settings_.video.displayKind = 2;
        settings_.video.width = 640;
        settings_.video.height = 480;
        startLibrary({softwareAdapterProfile(0)});
    }
    void TearDown() override {
        system_.reset();
        l3dTerm();
        l3dReleaseDirect3D();
        capture_.reset();
        pelMswFinalize();
        FrameworkFiles::TearDown();
    }

    static void startLibrary(std::vector<AdapterProfile> profiles) {
        l3dTerm();
        l3dReleaseDirect3D();
        Direct3DConfig config;
        config.adapters = std::move(profiles);
        config.rasterThreads = 1;
        IDirect3D9* direct3d = new IDirect3D9(std::move(config));
        l3dInit(direct3d);
        direct3d->Release();
    }

    System& init(std::unique_ptr<Net> net = nullptr) {
        system_ = std::make_unique<System>();
        system_->init(config_, settings_, std::move(net));
        return *system_;
    }
    // Ends the run as the shutdown does.
    void shutdown() { system_.reset(); }

    std::string parameterFile() const { return temp().path() + "/data/game.prm"; }
    bool reported(int level, const std::u16string& text) const {
        for (const auto& entry : ReportCapture::entries())
            if (entry.level == level && entry.text == text) return true;
        return false;
    }
    uint32_t createdOnAdapter() {
        D3DDEVICE_CREATION_PARAMETERS parameters{};
        system_->device().device()->GetCreationParameters(&parameters);
        return parameters.AdapterOrdinal;
    }

    Config config_;
    SystemSettings settings_;
    std::unique_ptr<ReportCapture> capture_;
    std::unique_ptr<System> system_;
};

TEST_F(SystemTest, InitBuildsEverythingAndAFirstRunSavesEmptyParameters) {
    System& system = init();
    EXPECT_EQ(system.flags(), System::FlagInitialised);
    EXPECT_EQ(system.config(), &config_);
    EXPECT_NE(system.vm(), nullptr);
    ASSERT_NE(system.window(), nullptr);
    ASSERT_NE(system.device().device(), nullptr);
    EXPECT_TRUE(system.device().windowed());
    EXPECT_NE(system.input(), nullptr);
    EXPECT_NE(system.controller(0), nullptr);
    for (uint32_t slot = 1; slot < 4; ++slot) EXPECT_EQ(system.controller(slot), nullptr);
    EXPECT_EQ(system.net(), nullptr);
    for (uint32_t type = 0; type < 3; ++type) EXPECT_EQ(system.soundVolume(type), 1.0f);
    EXPECT_EQ(system.parameters().ints.size(), 0u);
    const std::u16string path = System::parameterFilePath();
    EXPECT_EQ(path, u"//<localappdata>/game.prm");
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE,
                         u"Message: [System::init] parameter file \"" + path + u"\" isn't exist"));
    EXPECT_FALSE(std::filesystem::exists(parameterFile()));
    shutdown();
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, u"Message: [System::~System] save parameter file"));
    EXPECT_EQ(readFileBytes(parameterFile()), std::string(8, '\0'));
}

TEST_F(SystemTest, ParametersComeBackInTheNextRun) {
    System& first = init();
    first.resizeIntParams(2);
    first.parameters().ints[1] = -5;
    first.resizeStringParams(1);
    first.parameters().strings[0] = u"abc";
    shutdown();
    System& second = init();
    EXPECT_TRUE(reported(PEL_REPORT_MESSAGE, u"Message: [System::init] load paramete file \"" +
                                                 System::parameterFilePath() + u"\""));
    EXPECT_EQ(second.parameters().ints, (std::vector<int32_t>{0, -5}));
    EXPECT_EQ(second.parameters().strings, std::vector<std::u16string>{u"abc"});
}

TEST_F(SystemTest, FatalErrorsInsideInitLeaveNoParameterFile) {
    struct Case {
        uint32_t displayKind;
        uint32_t adapter;
        std::u16string error;
    };
    const Case cases[] = {
        {3, 0, u"Error: [System::init] 内部エラー(MSW->QN 3D変換 1)"},
        {2, 1, u"Error: [System::init] 内部エラー(MSW->QN 3D変換 0)"},
    };
    for (const Case& c : cases) {
        settings_.video.displayKind = c.displayKind;
        settings_.video.adapter = c.adapter;
        ReportCapture::entries().clear();
        EXPECT_THROW(init(), FatalReport);
        EXPECT_TRUE(reported(PEL_REPORT_ERROR, c.error));
        EXPECT_EQ(system_->flags() & System::FlagInitialised, 0u);
        shutdown();
        EXPECT_FALSE(std::filesystem::exists(parameterFile()));
    }
}

TEST_F(SystemTest, TruncatedParameterFileIsFatalAndStaysAsItWas) {
    const std::string cut("\0\0\0\2\0\0\0\1", 8);
    temp().write("data/game.prm", cut);
    EXPECT_THROW(init(), FatalReport);
    EXPECT_TRUE(
        reported(PEL_REPORT_ERROR, u"Error: [File::readU32] ファイル操作でエラーが発生しました。"));
    shutdown();
    EXPECT_EQ(readFileBytes(parameterFile()), cut);
}

TEST_F(SystemTest, IdenticalAdaptersMapByTheirCount) {
    startLibrary({softwareAdapterProfile(0), softwareAdapterProfile(1)});
    settings_.video.adapter = 1;
    init();
    EXPECT_EQ(createdOnAdapter(), 1u);
    shutdown();

    // Told apart by their identifiers: number 2 is the second of its kind.
    AdapterProfile other = softwareAdapterProfile(0);
    other.identifier.DeviceIdentifier.Data1 ^= 0xFFFF;
    startLibrary({other, softwareAdapterProfile(1), softwareAdapterProfile(2)});
    settings_.video.adapter = 2;
    init();
    EXPECT_EQ(createdOnAdapter(), 2u);
}

TEST_F(SystemTest, WindowKindIgnoresTheSizeForTheDevice) {
    settings_.video.width = 1280;
    settings_.video.height = 960;
    System& system = init();
    EXPECT_TRUE(system.device().windowed());
    EXPECT_FALSE(system.device().flags() & L3DDevice::FlagFullScreen);
}

TEST_F(SystemTest, CloseRequestQuitsOfflineAndIsDroppedDuringANetworkGame) {
    System& offline = init();
    offline.pollInput();
    EXPECT_FALSE(offline.quitRequested());
    offline.window()->closeRequested = 1;
    offline.pollInput();
    EXPECT_TRUE(offline.quitRequested());
    EXPECT_EQ(offline.window()->closeRequested, 0);
    shutdown();

    System& online = init(std::make_unique<FakeNet>());
    online.window()->closeRequested = 1;
    online.pollInput();
    EXPECT_FALSE(online.quitRequested());
    EXPECT_EQ(online.window()->closeRequested, 0);
}

TEST_F(SystemTest, NetworkSessionFeedsTheControllersAndTakesRowZero) {
    auto session = std::make_unique<FakeNet>(3);
    FakeNet& net = *session;
    net.players[2].values[4] = 1.0f;
    System& system = init(std::move(session));
    EXPECT_EQ(net.localCount, 16u);
    for (uint32_t slot = 0; slot < 3; ++slot) EXPECT_NE(system.controller(slot), nullptr);
    EXPECT_EQ(system.controller(3), nullptr);
    pelControllerUpdate(system.controller(2));
    EXPECT_TRUE(system.controller(2)->flags[4] & PEL_CONTROLLER_PRESSED);

    system.input()->values()[0][3] = 0.5f;
    EXPECT_EQ(net.localValues()[3], 0.5f);
    system.setNetReady();
    EXPECT_EQ(net.readyCalls, 1);
}

}  // namespace
}  // namespace tessera::test

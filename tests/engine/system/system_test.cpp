// System in a temporary home, headless: what init builds, the parameter file across runs, the
// adapter mapping, the close request and the network session's branches.
#include "engine/system/system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/config/config.h"
#include "engine/script/script_vm.h"
#include "engine/system/system_input.h"
#include "foundation/DApplication.h"
#include "foundation/pack/pack_registry.h"
#include "framework/msw/msw.h"
#include "framework/msw/window.h"
#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DRenderer.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/BgmPlayer.h"
#include "tests/engine/system/fake_net.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"
#include "tests/sound/sound_fixtures.h"
#include "tools/shasm/shader_assembler.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/scrambled_fields.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

// One scrambled compiled shader.
std::string shaderMember(const char* text) {
    const tools::shasm::AssembleResult assembled = tools::shasm::assembleShader(text);
    EXPECT_TRUE(assembled.error.empty()) << assembled.error;
    std::string bytes(assembled.tokens.size() * 4, '\0');
    std::memcpy(bytes.data(), assembled.tokens.data(), bytes.size());
    tools::writers::scrambleFields(bytes);
    return bytes;
}

// "sys/renderer.csa" with one trivial shader for every member the renderer loads.
std::string rendererArchive() {
    const std::string vertex = shaderMember("vs_2_0\ndcl_position v0\nmov oPos, v0\n");
    std::vector<tools::writers::DmfMember> members;
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind)
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant)
            members.push_back({l3dShaderMemberName(kind, variant), vertex});
    members.push_back({"map3_psh", shaderMember("ps_2_0\ndcl v0\nmov oC0, v0\n")});
    return tools::writers::writeDmf(members);
}

class SystemTest : public FrameworkFiles {
protected:
    void SetUp() override {
        FrameworkFiles::SetUp();
        ASSERT_TRUE(application_.Init(nullptr, 10));
        mirel::DApplication::SetCurrent(&application_);
        lfmReleasePacks();
        static const std::string archive = rendererArchive();
        writeBesideExecutable("sys/renderer.csa", archive);
        pelMswInitialize();
        capture_ = std::make_unique<ReportCapture>();
        config_.video.mode = {2, 640, 480, 0};
        startLibrary({softwareAdapterProfile(0)});
    }
    void TearDown() override {
        system_.reset();
        l3dTerm();
        l3dReleaseDirect3D();
        capture_.reset();
        pelMswFinalize();
        lfmReleasePacks();
        mirel::DApplication::SetCurrent(nullptr);
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
        system_->init(config_, std::move(net));
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

    mirel::DApplication application_;
    Config config_;
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
    ASSERT_TRUE(system.renderer());
    EXPECT_EQ(system.renderer()->device.Get(), &system.device());
    EXPECT_EQ(system.renderer()->soundManager.Get(), &system.soundManager());
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

TEST_F(SystemTest, AFailedSaveIsReportedAndTheShutdownGoesOn) {
    init();
    std::filesystem::create_directories(parameterFile() + "/in-the-way");
    shutdown();  // the fatal report must not escape the destructor
    EXPECT_TRUE(reported(PEL_REPORT_ERROR, u"Error: [File::create] \"" +
                                               System::parameterFilePath() + u"\"を開けません。"));
    EXPECT_TRUE(std::filesystem::is_directory(parameterFile()));
}

TEST_F(SystemTest, ShutdownDeletesTheNextEngineThenTheCurrentOne) {
    struct Engine : EngineBase {
        Engine(std::vector<char>& order, char name) : order(order), name(name) {}
        ~Engine() override { order.push_back(name); }
        std::vector<char>& order;
        char name;
    };
    std::vector<char> order;
    System& system = init();
    system.setCurrentEngine(new Engine(order, 'c'));
    system.setNextEngine(new Engine(order, 'n'));
    shutdown();
    EXPECT_EQ(order, (std::vector<char>{'n', 'c'}));
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
        config_.video.mode.kind = c.displayKind;
        config_.video.adapter = c.adapter;
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
    config_.video.adapter = 1;
    init();
    EXPECT_EQ(createdOnAdapter(), 1u);
    shutdown();

    // Told apart by their identifiers: number 2 is the second of its kind.
    AdapterProfile other = softwareAdapterProfile(0);
    other.identifier.DeviceIdentifier.Data1 ^= 0xFFFF;
    startLibrary({other, softwareAdapterProfile(1), softwareAdapterProfile(2)});
    config_.video.adapter = 2;
    init();
    EXPECT_EQ(createdOnAdapter(), 2u);
}

TEST_F(SystemTest, EveryResetBuildsAFreshRendererFromTheArchive) {
    System& system = init();
    const mirel::rcptr<L3DRenderer> first = system.renderer();
    system.resetRenderer();
    ASSERT_TRUE(system.renderer());
    EXPECT_NE(system.renderer(), first);
    EXPECT_EQ(first.UseCount(), 1);  // the system let go of the old one

    std::filesystem::remove(executableFolder() + "/sys/renderer.csa");
    EXPECT_THROW(system.resetRenderer(), LExceptGame);
}

TEST_F(SystemTest, ARendererResetStopsTheMusic) {
    writeBesideExecutable("music/loop.ogg", makeOggVorbis(2, 22050, 4000));
    System& system = init();
    ASSERT_NE(system.bgmPlayer(), nullptr);
    system.bgmPlayer()->playIntroLoop(u"music/", nullptr, u"loop", true);
    ASSERT_TRUE(system.bgmPlayer()->_GetStream());
    system.resetRenderer();
    EXPECT_FALSE(system.bgmPlayer()->_GetStream());
    system.bgmPlayer()->playIntroLoop(u"music/", nullptr, u"loop", true);
    EXPECT_TRUE(system.bgmPlayer()->_GetStream());  // the shutdown stops it
}

TEST_F(SystemTest, WindowKindIgnoresTheSizeForTheDevice) {
    config_.video.mode.width = 1280;
    config_.video.mode.height = 960;
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

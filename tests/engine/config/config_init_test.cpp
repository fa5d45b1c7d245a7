#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/config/config.h"
#include "engine/config/msw_settings_dialog.h"
#include "framework/config/d3d9_settings.h"
#include "framework/input/dinput8.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/input/direct_input8.h"
#include "platform/os/clock.h"
#include "platform/os/command_line.h"
#include "platform/os/open_url.h"
#include "squirrel/sqhost.h"
#include "tests/engine/config/updater_fakes.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

// Records what the start-up asked for and answers as told; the video page's "valid" flag is
// set unless a test says there is no usable mode.
class FakeSettingsDialog final : public ConfigSettingsDialog {
public:
    bool run(const ConfigDialogRequest& request, PEL_D3D9_SETTINGS* video,
             PEL_INPUT_SETTINGS*) override {
        ++runs;
        last = request;
        caption = request.caption;
        section = request.section ? request.section : u"(default)";
        reportHeader = request.reportHeader;
        for (uint32_t i = 0; i < request.inputTypeCount; ++i)
            typeNames.push_back(request.inputTypes[i].name);
        video->flags = usableMode ? uint32_t{PEL_D3D9_VALID} : 0;
        return accept;
    }

    bool accept = true;
    bool usableMode = true;
    int runs = 0;
    ConfigDialogRequest last{};
    std::u16string caption;
    std::u16string section;
    std::u16string reportHeader;
    std::vector<std::u16string> typeNames;
};

constexpr const char* kConfigScript = R"(
    confSetWindowClassName("GAME");
    confSetGameTitleSimple("Short");
    confSetGameTitle("The Game");
    confSetLogHeader("log header");
    confSetInputType(0, "Standard");
    confAddInputButton(0, "Jump", 1, 57);
    confSetInputType(2, "Third");
    confSetInputPadCount(2);
    confSetGameId(globalGetGameVersion() + 1);
)";

class ConfigInitTest : public FrameworkFiles {
protected:
    void SetUp() override {
        FrameworkFiles::SetUp();
        // After the framework's start-up, which installs its own report sink.
        capture_.emplace(ReportCapture::Fatal::Return);
        writeBesideExecutable("ver", std::string("\x00\x00\x01\x00", 4));
        writeScript(kConfigScript);
        pelD3d9Finalize();
        pelD3d9Initialize();
        pelDinput8Finalize();
        pelDinput8Initialize();
        platform::os::setClock(&clock_);
        platform::os::setUrlOpener([this](const std::string& url) {
            openedUrls_.push_back(url);
            return true;
        });
        unsetenv("http_proxy");
    }
    void TearDown() override {
        platform::os::setUrlOpener(nullptr);
        platform::os::setClock(nullptr);
        platform::d3d9::setDirect3DCreate9Override(nullptr);
        platform::input::setDirectInput8CreateOverride(nullptr);
        pelD3d9Finalize();
        pelDinput8Finalize();
        platform::os::saveArgs(0, nullptr);
        capture_.reset();
        FrameworkFiles::TearDown();
    }

    void writeScript(const std::string& source) {
        std::string cnut;
        std::ostringstream errors;
        ASSERT_TRUE(sqhost::CompileToStream("config.nut", source, cnut, errors)) << errors.str();
        writeBesideExecutable("sys/config.cnut", cnut);
    }
    static void setArgs(const std::vector<const char*>& args) {
        platform::os::saveArgs(static_cast<int>(args.size()), args.data());
    }
    uint32_t init() { return config_.init(dialog_, &connection_, &updaterDialogs_); }
    static std::vector<std::u16string> errors() {
        std::vector<std::u16string> texts;
        for (const auto& entry : ReportCapture::entries())
            if (entry.level == PEL_REPORT_ERROR) texts.push_back(entry.text);
        return texts;
    }

    std::optional<ReportCapture> capture_;
    platform::os::ManualClock clock_;
    Config config_;
    FakeSettingsDialog dialog_;
    FakeConnection connection_;
    FakeDialogs updaterDialogs_;
    std::vector<std::string> openedUrls_;
};

TEST_F(ConfigInitTest, StartModesDecideTheDialogAndTheExitCode) {
    const struct {
        std::vector<const char*> args;
        bool accept;
        uint32_t result;
        int32_t exitCode;
        int dialogRuns;
        bool shown;
        std::u16string section;
        bool loungeFlag;
    } cases[] = {
        {{"game"}, true, 0, 1, 1, true, u"(default)", false},
        {{"game"}, false, 1, 1, 1, true, u"(default)", false},
        {{"game", "--config"}, true, 1, 0, 1, true, u"(default)", false},
        {{"game", "--config"}, false, 1, 1, 1, true, u"(default)", false},
        {{"game", "--netconfig"}, true, 1, 0, 1, true, u"NetConfig", false},
        {{"game", "--netconfig"}, false, 1, 1, 1, true, u"NetConfig", false},
        {{"game", "--lounge", "0x1c4", "0x1d0"}, true, 0, 1, 1, false, u"NetConfig", true},
        {{"game", "--adjuster", "12", "34"}, true, 0, 1, 1, false, u"(default)", false},
        // Pipe options that do not suit the mode end the start before anything else.
        {{"game", "--lounge", "5"}, true, 1, 1, 0, false, u"", false},
        {{"game", "--lounge", "5", "6", "--config"}, true, 1, 1, 0, false, u"", false},
        {{"game", "--netconfig", "--adjuster", "0", "7"}, true, 1, 1, 0, false, u"", false},
    };
    for (const auto& c : cases) {
        std::string name;
        for (const char* arg : c.args) name += std::string(arg) + " ";
        SCOPED_TRACE(name + (c.accept ? "(accepted)" : "(cancelled)"));
        setArgs(c.args);
        config_ = Config();
        dialog_ = FakeSettingsDialog();
        dialog_.accept = c.accept;
        EXPECT_EQ(init(), c.result);
        EXPECT_EQ(config_.exitCode, c.exitCode);
        EXPECT_EQ(config_.loungeFlag, c.loungeFlag);
        ASSERT_EQ(dialog_.runs, c.dialogRuns);
        if (c.dialogRuns == 0) continue;
        EXPECT_EQ(dialog_.last.show, c.shown);
        EXPECT_EQ(dialog_.section, c.section);
    }
    EXPECT_TRUE(errors().empty());
}

TEST_F(ConfigInitTest, ScriptAndVersionFillTheDialogRequest) {
    setArgs({"game"});
    ASSERT_EQ(init(), 0u);
    EXPECT_EQ(config_.gameVersion, 256u);
    EXPECT_EQ(config_.gameId, 257);
    EXPECT_EQ(std::u16string(config_.shortTitle), u"Short");
    EXPECT_EQ(dialog_.caption, u"The Game");
    EXPECT_EQ(dialog_.reportHeader, u"log header");
    EXPECT_EQ(dialog_.last.icon, 107);
    EXPECT_EQ(dialog_.last.modes, kConfigVideoModes);
    EXPECT_EQ(dialog_.last.modeCount, 14u);
    EXPECT_EQ(dialog_.last.minTextureSize, 1024u);
    EXPECT_TRUE(dialog_.last.multisample);
    // Type 1 has no name, so the page is offered type 0 only.
    EXPECT_EQ(dialog_.typeNames, std::vector<std::u16string>{u"Standard"});
    EXPECT_EQ(dialog_.last.padCount, 2);
    EXPECT_EQ(config_.video.flags, PEL_D3D9_VALID);
    EXPECT_TRUE(connection_.connects.empty());  // no updater target
}

TEST_F(ConfigInitTest, MissingConfigScriptKeepsTheDefaults) {
    std::remove((executableFolder() + "/sys/config.cnut").c_str());
    setArgs({"game"});
    ASSERT_EQ(init(), 0u);
    EXPECT_EQ(config_.gameId, -1);
    EXPECT_EQ(dialog_.caption, u"");
    EXPECT_TRUE(dialog_.typeNames.empty());
    EXPECT_TRUE(errors().empty());
}

TEST_F(ConfigInitTest, StartChecksAreFatal) {
    const struct {
        const char* name;
        bool direct3D;
        bool usableMode;
        bool directInput;
        std::u16string error;
    } cases[] = {
        {"no Direct3D", false, true, true,
         u"Error: [Config::init] Direct3D9がインストールされていません。"},
        {"no usable mode", true, false, true,
         u"Error: [Config::init] 有効なグラフィックチップが見つかりません。"},
        {"no DirectInput", true, true, false,
         u"Error: [Config::init] DirectInput8がインストールされていません。"},
    };
    setArgs({"game"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportCapture::entries().clear();
        // An empty override is the normal object; a null result means "not installed".
        if (c.direct3D)
            platform::d3d9::setDirect3DCreate9Override(nullptr);
        else
            platform::d3d9::setDirect3DCreate9Override([](uint32_t) { return nullptr; });
        if (c.directInput)
            platform::input::setDirectInput8CreateOverride(nullptr);
        else
            platform::input::setDirectInput8CreateOverride([](uint32_t) { return nullptr; });
        pelD3d9Finalize();
        pelD3d9Initialize();
        pelDinput8Finalize();
        pelDinput8Initialize();
        dialog_.usableMode = c.usableMode;
        config_ = Config();
        EXPECT_EQ(init(), 1u);
        EXPECT_EQ(config_.exitCode, 1);
        EXPECT_EQ(errors(), std::vector<std::u16string>{c.error});
    }
}

TEST_F(ConfigInitTest, HiddenFrameworkDialogChoosesAUsableMode) {
    setArgs({"game", "--adjuster", "3", "4"});
    MswSettingsDialog dialog;
    EXPECT_EQ(config_.init(dialog, nullptr, nullptr), 0u);
    EXPECT_TRUE(config_.video.flags & PEL_D3D9_VALID);
    bool listed = false;
    for (const PEL_D3D9_MODE& mode : kConfigVideoModes)
        listed = listed ||
                 (mode.kind == config_.video.mode.kind && mode.width == config_.video.mode.width &&
                  mode.height == config_.video.mode.height);
    EXPECT_TRUE(listed);
    EXPECT_TRUE(errors().empty());
}

class ConfigVersionCheckTest : public ConfigInitTest {
protected:
    void SetUp() override {
        ConfigInitTest::SetUp();
        writeScript(std::string(kConfigScript) + "confSetUpdater(\"maker.test\", 8000, \"game\");");
        connection_.peers["maker.test:8000"].answer = "HTTP/1.0 200 OK\r\n\r\n";
    }
};

TEST_F(ConfigVersionCheckTest, TheLinkEndsTheStart) {
    setArgs({"game"});
    updaterDialogs_.answer = UpdaterDialogs::Answer::Link;
    EXPECT_EQ(init(), 1u);
    EXPECT_EQ(config_.exitCode, 1);
    EXPECT_EQ(connection_.requests,
              std::vector<std::string>{"GET /game/ver256.txt HTTP/1.0\nHost: maker.test\n\n"});
    EXPECT_EQ(updaterDialogs_.newerVersionTitle, u"Short");
    EXPECT_EQ(openedUrls_, std::vector<std::string>{"http://maker.test:8000/"});
    EXPECT_EQ(dialog_.runs, 0);
    // Both parts are closed whatever the outcome.
    EXPECT_EQ(updaterDialogs_.progressCloses, 1);
    EXPECT_GE(connection_.closes, 1);
}

TEST_F(ConfigVersionCheckTest, OkGoesOnAndOptionsSkipTheCheck) {
    setArgs({"game"});
    EXPECT_EQ(init(), 0u);
    EXPECT_EQ(dialog_.runs, 1);
    EXPECT_EQ(updaterDialogs_.progressCloses, 1);
    const int closes = connection_.closes;

    // Any option, and a target without a port, leave the network alone.
    for (const std::vector<const char*>& args :
         {std::vector<const char*>{"game", "--config"},
          std::vector<const char*>{"game", "--adjuster", "3", "4"}}) {
        setArgs(args);
        config_ = Config();
        init();
    }
    writeScript(std::string(kConfigScript) + "confSetUpdater(\"maker.test\", 0, \"game\");");
    setArgs({"game"});
    config_ = Config();
    EXPECT_EQ(init(), 0u);
    EXPECT_EQ(connection_.connects.size(), 1u);
    EXPECT_EQ(connection_.closes, closes);
    EXPECT_EQ(updaterDialogs_.progressCloses, 1);
}

}  // namespace
}  // namespace tessera::test

// appInit: the start-up steps, in their fixed order.
#include "engine/config/config.h"
#include "engine/config/msw_settings_dialog.h"
#include "engine/sprite/sprite2.h"
#include "engine/startup/app_main.h"
#include "engine/startup/app_state.h"
#include "engine/startup/base_script.h"
#include "engine/startup/data_streams.h"
#include "engine/startup/resource_packs.h"
#include "engine/system/net.h"
#include "engine/system/system.h"
#include "foundation/DDebug.h"
#include "foundation/pack/pack_registry.h"
#include "framework/config/d3d9_settings.h"
#include "framework/core/core.h"
#include "framework/core/report.h"
#include "framework/file/file.h"
#include "framework/image/image.h"
#include "framework/input/dinput8.h"
#include "framework/msw/msw.h"
#include "framework/msw/window.h"
#include "framework/socket/socket.h"
#include "framework/spatial/spatial.h"
#include "framework/sprite/sprite.h"
#include "framework/timer/timer.h"
#include "platform/input/sdl_input_backend.h"
#include "platform/os/float_mode.h"
#include "platform/os/process_priority.h"
#include "platform/window/sdl_window.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/window_client_size.h"

namespace {

// The 3D library's debug log stream, for the whole run.
DDataPellamLog logSink;

// Video flag bit 0 with a width of at least 1024 selects the large resources.
constexpr uint32_t kLargeResourceWidth = 1024;

// The window handle the device and the input get is the SdlWindow's address, or null for a
// headless window, whose client area is the configured size.
void connectWindowQueries() {
    platform::input::setSdlWindowLookup([](platform::input::HWND window) -> SDL_Window* {
        return window ? static_cast<platform::window::SdlWindow*>(window)->sdlWindow() : nullptr;
    });
    l3dSetClientSizeQuery([](platform::d3d9::HWND window, uint32_t& width, uint32_t& height) {
        if (window) {
            int w = 0, h = 0;
            if (!static_cast<platform::window::SdlWindow*>(window)->clientSize(w, h)) return false;
            width = static_cast<uint32_t>(w);
            height = static_cast<uint32_t>(h);
            return true;
        }
        const Config* config = appState().config;
        if (!config) return false;
        width = config->video.mode.width;
        height = config->video.mode.height;
        return true;
    });
}

// The 3D library's log becomes log text; the foundation's debug file is a view of its stream.
void routeLibraryLog() {
    AppState& state = appState();
    state.logStream.AttachStream("DDataPellamLog",
                                 mirel::rcptr<mirel::DDataOverride>::NonOwning(&logSink));
    mirel::DDebug& debug = mirel::DDebug::Global();
    debug.File().Close();
    debug.File().OpenView(0, -1, state.logStream);
    debug.EnableFile(true);
    l3dDiagMode = l3dDiagDefer;
    l3dLogThreshold = 0;
}

// Loose files of the pack registry go through the framework from here on.
void installPackProvider() {
    AppState& state = appState();
    state.provider.Create();
    lfmReleasePacks();
    state.rootPackIndex = lfmRegistPack("");
    lfmRegistOverride(state.provider);
}

void loadResourcePacks(Config& config) {
    _loadResource(u"res");
    if ((config.video.flags & 1) && config.video.mode.width >= kLargeResourceWidth) {
        _loadResource(u"resL");
    } else {
        config.resourceScale = _loadResource(u"resS") ? 2 : 1;
    }
}

}  // namespace

bool appInit() {
    AppState& state = appState();
    connectWindowQueries();

    appStep("pelInitialize");
    pelFileRegisterModule();
    pelSpatialRegisterModule();
    pelInitialize();

    appStep("pelReportSetExitHook");
    pelReportLock();
    pelReportSetExitHook(appReportExitHook);
    pelReportUnlock();

    appStep("loadResource system");
    _loadResource(u"system");
    appStep("runBaseScript");
    runBaseScript();

    appStep("setGameFloatMode");
    platform::os::setGameFloatMode();

    appStep("pelMswInitialize");
    pelImageInitialize();
    pelMswInitialize();
    pelMswSetLogLevel(PEL_REPORT_INFORMATION);
    pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] This is logger of netsync", "appInit");

    appStep("pelD3d9Initialize");
    pelD3d9Initialize();
    pelDinput8Initialize();
    pelTimerInitialize();
    pelSocketInitialize();
    pelSpriteInitialize();

    platform::os::setProcessPriorityClass(platform::os::kHighPriorityClass);

    appStep("routeLibraryLog");
    routeLibraryLog();
    appStep("lfmRegistOverride");
    installPackProvider();

    appStep("l3dInit");
    l3dInit(pelD3d9Object());
    appStep("sprite2Init");
    sprite2Init();

    appStep("Config::init");
    state.config = new Config;
    MswSettingsDialog settingsDialog;
    // The version check has no connection or dialogs of its own yet: it does not run.
    if (state.config->init(settingsDialog, nullptr, nullptr) != 0) return false;

    appStep("loadResource res");
    loadResourcePacks(*state.config);

    appStep("pelMswWindowFindRunning");
    if (pelMswWindowFindRunning()) return false;

    appStep("System::init");
    state.system = new System;
    state.system->init(*state.config);
    return true;
}

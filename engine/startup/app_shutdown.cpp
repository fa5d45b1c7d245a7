// shutdown: the teardown steps, in their fixed order.
#include "engine/config/config.h"
#include "engine/sprite/sprite2.h"
#include "engine/startup/app_main.h"
#include "engine/startup/app_state.h"
#include "engine/system/net.h"
#include "engine/system/system.h"
#include "foundation/DDebug.h"
#include "foundation/pack/pack_registry.h"
#include "framework/config/d3d9_settings.h"
#include "framework/core/core.h"
#include "framework/image/image.h"
#include "framework/input/dinput8.h"
#include "framework/msw/msw.h"
#include "framework/timer/timer.h"
#include "platform/input/sdl_input_backend.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/window_client_size.h"

namespace {

// Each step runs even when an earlier one threw.
template <typename Step>
void guarded(Step step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

void shutdown() {
    AppState& state = appState();
    guarded([] {
        appStep("l3dShowDeferredWarnings");
        l3dShowDeferredWarnings();
    });
    guarded([&] {
        appStep("delete System");
        // The destructor writes the parameter file when the System was initialised.
        delete state.system;
        state.system = nullptr;
    });
    guarded([&] {
        appStep("delete Config");
        delete state.config;
        state.config = nullptr;
    });
    guarded([] {
        appStep("sprite2Shutdown");
        sprite2Shutdown();
        l3dShowDeferredWarnings();
    });
    guarded([&] {
        appStep("lfmReleasePacks");
        lfmReleasePacks();
        state.provider.Reset();
    });
    guarded([] {
        appStep("l3dTermDiag");
        l3dTerm();
        l3dReleaseDirect3D();
        l3dShowDeferredWarnings();
        l3dTermDiag();
    });
    guarded([&] {
        appStep("close library log");
        mirel::DDebug::Global().EnableFile(false);
        state.logStream.Close();
    });
    guarded([] {
        appStep("pelFinalize");
        pelTimerFinalize();
        pelDinput8Finalize();
        pelD3d9Finalize();
        pelMswFinalize();
        pelImageFinalize();
        pelFinalize();
    });
    l3dSetClientSizeQuery(nullptr);
    platform::input::setSdlWindowLookup(nullptr);
}

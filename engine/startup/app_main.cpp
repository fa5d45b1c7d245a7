#include "engine/startup/app_main.h"

#include <memory>

#include "engine/config/config.h"
#include "engine/main_loop.h"
#include "engine/script_engines/engine_switch.h"
#include "engine/startup/app_state.h"
#include "engine/startup/run_harness.h"
#include "engine/system/net.h"
#include "engine/system/system.h"
#include "framework/core/report.h"
#include "platform/os/run_harness.h"
#include "platform/os/utf8.h"
#include "render3d/diagnostics/LExceptGame.h"

namespace {

// The harness of tests and CI, when the environment asks for it.
std::unique_ptr<RunHarness> startHarness(System& system) {
    const platform::os::RunHarnessSettings settings = platform::os::runHarnessSettings();
    if (!settings.active()) return nullptr;
    return std::make_unique<RunHarness>(system, settings.frames,
                                        platform::os::utf8ToUtf16(settings.captureDirectory),
                                        settings.captureSpan);
}

void runGame(System& system) {
    const std::unique_ptr<RunHarness> harness = startHarness(system);
    prepareNextSimpleEngine(system, u"start");
    runMainLoop(system);
}

}  // namespace

void appReportExitHook(int32_t level) {
    if (level == PEL_REPORT_ERROR) throw LExceptGame();
}

int AppMain() {
    AppState& state = appState();
    try {
        if (appInit()) {
            runGame(*state.system);
            state.config->exitCode = 0;
        }
    } catch (const LExceptGame&) {
        // The fatal report has been logged and shown already.
    } catch (...) {
        pelReport(PEL_REPORT_WARNING, u"Warning: [%s] メモリが不足しています。", "AppMain");
    }
    const int exitCode = state.config ? state.config->exitCode : 1;
    try {
        shutdown();
    } catch (...) {
    }
    return exitCode;
}

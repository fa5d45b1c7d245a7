#include "platform/os/run_harness.h"

#include <cerrno>
#include <cstdlib>

namespace platform::os {

namespace {

uint32_t number(const char* variable) {
    const char* text = std::getenv(variable);
    if (!text || !*text) return 0;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno || *end || value > UINT32_MAX) return 0;
    return static_cast<uint32_t>(value);
}

}  // namespace

RunHarnessSettings runHarnessSettings() {
    RunHarnessSettings settings;
    settings.frames = number("TESSERA_RUN_FRAMES");
    if (const char* directory = std::getenv("TESSERA_CAPTURE_DIR"))
        settings.captureDirectory = directory;
    settings.captureSpan = number("TESSERA_CAPTURE_SPAN");
    return settings;
}

}  // namespace platform::os

#include "platform/os/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/os/cp932.h"

namespace platform::os {

void outputDebugString(std::string_view cp932Text) {
    const char* enabled = std::getenv("TESSERA_DEBUG_OUTPUT");
    if (enabled == nullptr || std::strcmp(enabled, "1") != 0) return;
    const std::string text = cp932ToUtf8(cp932Text);
    std::fwrite(text.data(), 1, text.size(), stderr);  // stdio locks the stream per call
    std::fflush(stderr);
}

}  // namespace platform::os

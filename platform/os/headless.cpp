#include "platform/os/headless.h"

#include <cstdlib>
#include <cstring>

namespace platform::os {

bool headlessRun() {
    const char* value = std::getenv("TESSERA_HEADLESS");
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace platform::os

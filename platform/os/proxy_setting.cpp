#include "platform/os/proxy_setting.h"

#include <cstdlib>

namespace platform::os {

std::string proxySetting() {
    const char* value = std::getenv("http_proxy");
    return value ? value : "";
}

}  // namespace platform::os

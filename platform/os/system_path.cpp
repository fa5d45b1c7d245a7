#include "platform/os/system_path.h"

#include <algorithm>

#include "platform/os/cp932.h"

namespace platform::os {

std::string systemPathFromCp932(std::string_view cp932Path) {
    std::string path = cp932ToUtf8(cp932Path);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace platform::os

#include "platform/os/processor_count.h"

#include <unistd.h>

namespace platform::os {

unsigned processorCount() {
    const long count = sysconf(_SC_NPROCESSORS_ONLN);
    return count > 0 ? static_cast<unsigned>(count) : 1;
}

}  // namespace platform::os

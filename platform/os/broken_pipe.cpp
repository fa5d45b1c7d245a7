#include "platform/os/broken_pipe.h"

#include <csignal>

namespace platform::os {

void ignoreBrokenPipeSignal() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace platform::os

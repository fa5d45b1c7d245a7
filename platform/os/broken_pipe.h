#pragma once

namespace platform::os {

// Makes a write to a closed pipe or socket fail with an error, as on Windows, instead of
// ending the process with SIGPIPE. Called once at start-up.
void ignoreBrokenPipeSignal();

}  // namespace platform::os

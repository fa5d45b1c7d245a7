#pragma once

namespace platform::os {

// True when TESSERA_HEADLESS is set to 1: every platform service then uses its headless
// implementation (no window, no display, no audio device).
bool headlessRun();

}  // namespace platform::os

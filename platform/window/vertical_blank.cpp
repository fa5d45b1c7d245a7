#include "platform/window/vertical_blank.h"

#include "platform/os/clock.h"

namespace platform::window {

std::uint64_t nextVerticalBlank(std::uint64_t counter) {
    const std::uint64_t frequency = platform::os::clock().counterFrequency();
    // Blank n falls at n * frequency / 60 ticks, rounded down, so no drift accumulates.
    const std::uint64_t frame = counter * kVirtualRefreshHz / frequency + 1;
    std::uint64_t blank = frame * frequency / kVirtualRefreshHz;
    if (blank <= counter) blank = (frame + 1) * frequency / kVirtualRefreshHz;
    return blank;
}

std::uint64_t waitForVerticalBlank() {
    platform::os::Clock& clock = platform::os::clock();
    const std::uint64_t blank = nextVerticalBlank(clock.counter());
    const std::uint64_t ticksPerMillisecond = clock.counterFrequency() / 1000;
    for (std::uint64_t now = clock.counter(); now < blank; now = clock.counter()) {
        const std::uint64_t remaining = (blank - now) / ticksPerMillisecond;
        // Sleep whole milliseconds while they remain, then yield until the blank.
        clock.sleep(static_cast<std::uint32_t>(remaining > 1 ? remaining - 1 : 0));
    }
    return blank;
}

}  // namespace platform::window

#pragma once

namespace platform::os {

// Processors online, at least 1.
unsigned processorCount();

}  // namespace platform::os

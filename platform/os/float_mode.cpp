#include "platform/os/float_mode.h"

#include <xmmintrin.h>

namespace platform::os {

uint32_t floatMode() { return _mm_getcsr(); }

void setFloatMode(uint32_t mode) { _mm_setcsr(mode); }

void setGameFloatMode() {
    const uint32_t mode =
        (floatMode() & ~kFloatRoundingMask) | kFloatFlushToZero | kFloatDenormalsAreZero;
    setFloatMode(mode);
}

}  // namespace platform::os

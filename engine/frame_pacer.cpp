#include "engine/frame_pacer.h"

#include "framework/timer/timer.h"

uint64_t TimerFramePacer::remaining() {
    const uint64_t elapsed = pelTimerGetTick() - frame_.baseTime;
    return elapsed < frame_.due ? frame_.due - elapsed : 0;
}

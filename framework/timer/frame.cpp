#include "framework/timer/frame.h"

#include "framework/timer/timer.h"

namespace {

constexpr uint32_t kMaxSkipLevel = 4;
// Slow seconds in a row (after a good one) that raise the skip level.
constexpr int32_t kSlowSecondsToRaise = 5;

}  // namespace

void pelFrameInit(PEL_FRAME* frame, uint32_t framesPerSecond) {
    const uint64_t scaled = pelTimerGetFrequency() << 16;
    uint64_t perFrame = scaled / framesPerSecond;
    // Rounded to nearest, halves up.
    if (scaled - perFrame * framesPerSecond >= framesPerSecond / 2) ++perFrame;
    frame->ticksPerFrame = perFrame;
    frame->frameRate = framesPerSecond;
    frame->lateAllowance = 0;
    pelFrameReset(frame);
}

void pelFrameReset(PEL_FRAME* frame) {
    const uint64_t now = pelTimerGetTick();
    frame->fraction = 0;
    frame->skip = false;
    frame->skipPhase = 0;
    frame->skipLevel = 0;
    frame->slowSeconds = -1;
    frame->stepsThisSecond = frame->stepsLastSecond = 0;
    frame->drawnThisSecond = frame->drawnLastSecond = 0;
    frame->due = 0;
    frame->baseTime = frame->secondStart = frame->lastDrawnTime = now;
}

bool pelFrameStep(PEL_FRAME* frame) {
    frame->fraction += frame->ticksPerFrame;
    frame->due += frame->fraction >> 16;
    frame->fraction &= 0xFFFF;

    const uint64_t now = pelTimerGetTick();
    const uint64_t second = pelTimerGetFrequency();
    bool skip = static_cast<int64_t>(now - frame->baseTime) >=
                static_cast<int64_t>(frame->lateAllowance + frame->due);
    if (frame->skipLevel != 0) {
        if (++frame->skipPhase > frame->skipLevel)
            frame->skipPhase = 0;
        else
            skip = true;
    }
    // No more than one second ever passes without a drawn frame.
    if (now - frame->lastDrawnTime >= second) skip = false;
    if (!skip) frame->lastDrawnTime = now;

    ++frame->stepsThisSecond;
    if (!skip) ++frame->drawnThisSecond;
    if (now - frame->secondStart >= second) {
        frame->stepsLastSecond = frame->stepsThisSecond;
        frame->drawnLastSecond = frame->drawnThisSecond;
        frame->stepsThisSecond = frame->drawnThisSecond = 0;
        // The windows lie on a grid from the reset: after a stall each step closes one.
        frame->secondStart += second;
        const uint32_t limit = frame->frameRate / (frame->skipLevel + 1);
        if (frame->drawnLastSecond + 1 >= limit) {
            frame->slowSeconds = 0;
        } else if (++frame->slowSeconds == kSlowSecondsToRaise) {
            if (frame->skipLevel < kMaxSkipLevel) ++frame->skipLevel;
            frame->slowSeconds = -1;
        }
    }
    frame->skip = skip;
    return skip;
}

void pelFrameWait(PEL_FRAME* frame) {
    if (frame->skip) return;
    const uint64_t elapsed = pelTimerGetTick() - frame->baseTime;
    if (elapsed < frame->due) pelTimerWait(static_cast<int64_t>(frame->due - elapsed));
}

#pragma once
#include <cstdint>

// The fixed-rate frame pacer. It keeps a schedule of due times in ticks of the timer module
// (16.16 fixed point, so the schedule never drifts), says after every frame whether the caller
// is behind, waits until a frame is due, and raises an automatic skip level (0 to 4) when whole
// seconds pass with too few drawn frames. A pacer belongs to one thread.
//
// Per frame: the frame's work, pelFrameStep, pelFrameWait, then presenting. pelFrameReset is
// called whenever the caller's timeline broke; it is the only way to lower the skip level.
struct PEL_FRAME {
    uint64_t ticksPerFrame;  // 16.16: whole ticks above the low 16 bits of fraction
    uint64_t fraction;       // only the low 16 bits survive a step
    uint64_t lateAllowance;  // ticks a step may be late and still draw; set by the owner
    bool skip;               // the result of the last step
    uint32_t skipLevel;      // 0 to 4: of every level + 1 steps, level are forced skips
    uint32_t skipPhase;
    uint64_t baseTime;  // the clock at the last reset
    uint64_t due;       // the end of the current frame, from the base time
    uint64_t secondStart;
    uint32_t stepsThisSecond;
    uint32_t stepsLastSecond;
    uint32_t drawnThisSecond;
    uint32_t drawnLastSecond;
    int32_t slowSeconds;  // -1 after a reset or a raise of the level
    uint64_t lastDrawnTime;
    uint32_t frameRate;
};

// Sets a pacer up for `framesPerSecond` (at least 1) and resets it. The allowance starts at 0.
void pelFrameInit(PEL_FRAME* frame, uint32_t framesPerSecond);
// Restarts the schedule at the current time with skip level 0; keeps the rate and allowance.
void pelFrameReset(PEL_FRAME* frame);
// Advances the schedule by one frame. True: the caller is behind, must not wait, and computes
// the next frame without drawing it.
bool pelFrameStep(PEL_FRAME* frame);
// Unless the last step returned true, sleeps until the current frame is due.
void pelFrameWait(PEL_FRAME* frame);

#pragma once
// What the frame loop asks of its pacer: the timer module's PEL_FRAME behind a small interface,
// so that the loop's pacing decisions can be driven by a scripted pacer in tests.
#include <cstdint>

#include "framework/timer/frame.h"

class FramePacer {
public:
    virtual ~FramePacer() = default;
    // pelFrameStep: true when the caller is behind and computes the next frame without drawing.
    virtual bool step() = 0;
    // pelFrameWait: sleeps until the current frame is due (unless the last step skipped).
    virtual void wait() = 0;
    // pelFrameReset: restarts the schedule at the current time.
    virtual void reset() = 0;
    // Ticks until the current frame is due, counted from the schedule's base time; 0 when the
    // frame is already late.
    virtual uint64_t remaining() = 0;
    // The ticks a step may be late and still draw.
    virtual void setLateAllowance(uint64_t ticks) = 0;
};

// The timer module's pacer.
class TimerFramePacer final : public FramePacer {
public:
    explicit TimerFramePacer(uint32_t framesPerSecond) { pelFrameInit(&frame_, framesPerSecond); }

    bool step() override { return pelFrameStep(&frame_); }
    void wait() override { pelFrameWait(&frame_); }
    void reset() override { pelFrameReset(&frame_); }
    uint64_t remaining() override;
    void setLateAllowance(uint64_t ticks) override { frame_.lateAllowance = ticks; }

    const PEL_FRAME& frame() const { return frame_; }

private:
    PEL_FRAME frame_;
};

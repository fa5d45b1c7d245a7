#pragma once
#include <cstdint>

// The timer module: one 64-bit tick clock, precise waits, and the frame pacer (frame.h).
// The clock counts the platform's high-resolution counter while that runs at 500,000,000 ticks
// per second or less; otherwise, and while the counter is switched off, it counts milliseconds.
// Whatever measures or waits in ticks asks pelTimerGetFrequency for the rate.

// Starts the module once (later calls do nothing), switches the counter on and registers
// pelTimerFinalize with atexit.
void pelTimerInitialize();
// Switches the counter off and stops the module; does nothing when it is not running.
void pelTimerFinalize();

// Switches the high-resolution counter on or off. The tick unit changes with it, so pacers are
// reset afterwards; only start-up and shut-down switch.
void pelTimerSetEnable64(bool enable);
// Ticks per second: the counter's frequency, or 1000 while the counter is off.
uint64_t pelTimerGetFrequency();
// The current tick count: the counter, or milliseconds since start-up (across the 32-bit wrap
// of the millisecond clock, never running backwards).
uint64_t pelTimerGetTick();

// Returns after at least that many ticks: sleeps through all but the last 3 ms, then yields
// until the time is reached. 0 or less returns at once.
void pelTimerWait(int64_t ticks);
// The same in milliseconds, used while the counter is off.
void pelTimerWaitMs(uint32_t milliseconds);

#pragma once
// The run-time side of a model's or an animation's events: a set of resolved event instances
// sorted by frame with its play position, and the texture animations an instance keeps running
// every frame once their event has fired.
#include <cstdint>

#include "foundation/rcptr.h"

struct L3DEventInstance;

struct L3D_OBJINST_EVENTSET {
    uint32_t count = 0;
    mirel::rcptr<L3DEventInstance> events;  // sorted by frame, file order within a frame
    int32_t frame = -1;                     // -1 before the first step
    uint32_t next = 0;                      // the next event to fire
};

// A running texture animation: its event and its wave and scroll counters.
struct L3D_OBJINST_TSR {
    const L3DEventInstance* event = nullptr;
    uint32_t uWaveStep = 0;
    uint32_t vWaveStep = 0;
    uint32_t uScrollStep = 0;
    uint32_t vScrollStep = 0;
    uint32_t uScrollPeriod = 0;
    uint32_t vScrollPeriod = 0;
};

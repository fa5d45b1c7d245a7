#pragma once
// The two event steps of an object instance's frame.
class L3DObjectInstance;
struct L3D_OBJINST_EVENTSET;

// Advances the set by one frame and fires its due events; go-to-frame events restart it at
// their target within the same step.
void l3dAdvanceEventSet(L3DObjectInstance& instance, L3D_OBJINST_EVENTSET& set);
// One frame of every running texture animation.
void l3dRunResidentEvents(L3DObjectInstance& instance);

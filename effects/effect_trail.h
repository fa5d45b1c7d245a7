#pragma once
// A part's trail in its step: the samples age, and while the instance has both trail points a
// new sample (or up to eight on arcs, when the points moved farther than the segment length)
// is placed, committed at the trail's interval and provisional in between.
#include "effects/L3DEffectWork.h"

void effectStepTrail(L3D_EFFECT_WORKPART& work);

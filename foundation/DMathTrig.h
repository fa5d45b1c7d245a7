#pragma once
// Sine, cosine and arc cosine of floats that give the same bits on every machine: computed
// from the float argument with basic IEEE double operations only (no C library, no fused
// multiply-add) and rounded to float once, within one unit in the last place of the correctly
// rounded result. Animation and hit geometry use them so that replays and lock-step peers
// agree.

namespace mirel {

// Any finite argument, however large, is reduced exactly; NaN and infinities give NaN.
float DMathSin(float x);
float DMathCos(float x);
// Radians in [0, pi]; arguments outside [-1, 1] and NaN give NaN.
float DMathAcos(float x);

}  // namespace mirel

#pragma once
#include <cstdint>

namespace mirel {

// A linear volume factor (1.0 full volume) as a DirectSound attenuation in hundredths of a
// decibel, 0 to -10000: each halving of the factor costs (curve + 0.05) x 10000, so 500 at
// curve 0 and 550 at curve 0.005. Factors below 0.000001, and NaN, are silence.
int32_t DsndVolumeToMillibel(float volume, float curve);

}  // namespace mirel

#include "sound/DsndVolume.h"

#include <cmath>

namespace mirel {

int32_t DsndVolumeToMillibel(float volume, float curve) {
    // The threshold is a float constant: 1e-6f itself is not below it.
    float factor = 1.0f;
    if (!(volume < 0.000001f) && !std::isnan(volume)) {
        const double ln2 = 0.69314718055994530942;
        factor = static_cast<float>((curve + 0.05f) / ln2 * std::log(1.0 / volume));
    }
    const float scaled = factor * -10000.0f;
    const float rounded = std::nearbyint(scaled);  // ties to even in the default mode
    if (rounded > 0.0f) return 0;
    if (rounded < -10000.0f) return -10000;
    return static_cast<int32_t>(rounded);
}

}  // namespace mirel

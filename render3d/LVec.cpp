#include "render3d/LVec.h"

#include <cmath>

void LVec::Normalize(const LVec& v, LVec& out) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length > 0.0f) {
        out = {v.x / length, v.y / length, v.z / length};
    } else {
        out = v;
    }
}

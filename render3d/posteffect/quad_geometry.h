#pragma once
// The arithmetic of a screen rectangle: pixel rectangles to clip space with the half-pixel
// shift of Direct3D 9 (pixel centres on whole coordinates), and the quad colour.
#include <cstdint>

// Corners (left, top, right, bottom) in clip space of the rectangle (x, y, w, h) of a
// vw × vh target.
inline void postEffectClipRect(const float rect[4], float vw, float vh, float out[4]) {
    out[0] = (rect[0] - 0.5f) * 2.0f / vw - 1.0f;
    out[1] = 1.0f - (rect[1] - 0.5f) * 2.0f / vh;
    out[2] = (rect[0] + rect[2] - 0.5f) * 2.0f / vw - 1.0f;
    out[3] = 1.0f - (rect[1] + rect[3] - 0.5f) * 2.0f / vh;
}

// The colour of every corner: alpha and grey scaled to 255 and truncated.
inline uint32_t postEffectQuadColour(float grey, float alpha) {
    const auto a = static_cast<uint32_t>(alpha * 255.0f);
    const auto g = static_cast<uint32_t>(grey * 255.0f);
    return a << 24 | g * 0x010101u;
}

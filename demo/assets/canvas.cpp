#include "demo/assets/canvas.h"

#include <algorithm>
#include <cmath>

namespace demo {
namespace {

std::uint32_t toByte(float v) {
    return static_cast<std::uint32_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f);
}

// Coverage of a pixel whose centre lies `distance` outside a shape's edge (negative inside).
float coverageAt(float distance) { return std::clamp(0.5f - distance, 0.0f, 1.0f); }

}  // namespace

Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

Canvas::Canvas(std::uint32_t width, std::uint32_t height)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * height, Colour{0, 0, 0, 0}) {}

std::vector<std::uint32_t> Canvas::argb() const {
    std::vector<std::uint32_t> out;
    out.reserve(pixels_.size());
    for (const Colour& c : pixels_)
        out.push_back(toByte(c.a) << 24 | toByte(c.r) << 16 | toByte(c.g) << 8 | toByte(c.b));
    return out;
}

void Canvas::blend(int x, int y, const Colour& colour, float coverage) {
    if (x < 0 || y < 0 || x >= static_cast<int>(width_) || y >= static_cast<int>(height_)) return;
    Colour& d = pixels_[static_cast<std::size_t>(y) * width_ + x];
    const float a = std::clamp(colour.a * coverage, 0.0f, 1.0f);
    const float outA = a + d.a * (1 - a);
    if (outA <= 0) return;
    auto channel = [&](float s, float t) { return (s * a + t * d.a * (1 - a)) / outA; };
    d = {channel(colour.r, d.r), channel(colour.g, d.g), channel(colour.b, d.b), outA};
}

template <typename Distance>
void Canvas::shape(float left, float top, float right, float bottom, const Colour& colour,
                   Distance distance) {
    const int x0 = std::max(0, static_cast<int>(std::floor(left)) - 1);
    const int y0 = std::max(0, static_cast<int>(std::floor(top)) - 1);
    const int x1 = std::min(static_cast<int>(width_), static_cast<int>(std::ceil(right)) + 1);
    const int y1 = std::min(static_cast<int>(height_), static_cast<int>(std::ceil(bottom)) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float coverage =
                coverageAt(distance(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f));
            if (coverage > 0) blend(x, y, colour, coverage);
        }
}

void Canvas::disc(float cx, float cy, float radius, const Colour& colour) {
    shape(cx - radius, cy - radius, cx + radius, cy + radius, colour, [&](float x, float y) {
        return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - radius;
    });
}

void Canvas::diamond(float cx, float cy, float radius, const Colour& colour) {
    // The distance to the edges of |x| + |y| = r, measured across them.
    shape(cx - radius, cy - radius, cx + radius, cy + radius, colour, [&](float x, float y) {
        return (std::fabs(x - cx) + std::fabs(y - cy) - radius) * 0.70710678f;
    });
}

void Canvas::roundedRect(float x, float y, float w, float h, float corner, const Colour& colour,
                         float border) {
    const float cx = x + w / 2, cy = y + h / 2;
    const float hx = w / 2 - corner, hy = h / 2 - corner;
    shape(x, y, x + w, y + h, colour, [&](float px, float py) {
        const float qx = std::max(std::fabs(px - cx) - hx, 0.0f);
        const float qy = std::max(std::fabs(py - cy) - hy, 0.0f);
        const float outside = std::sqrt(qx * qx + qy * qy) - corner;
        const float inside =
            std::min(std::max(std::fabs(px - cx) - hx, std::fabs(py - cy) - hy), 0.0f);
        const float d = outside + inside;
        return border > 0 ? std::fabs(d + border / 2) - border / 2 : d;
    });
}

}  // namespace demo

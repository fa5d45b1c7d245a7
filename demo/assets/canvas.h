#pragma once
// A small ARGB canvas with the few shapes the demo's pictures are drawn from. Coverage is
// computed per pixel centre with a one-pixel soft edge, so shapes come out smooth without
// sub-sampling; everything is plain float arithmetic and deterministic.
#include <cstdint>
#include <vector>

namespace demo {

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

Colour mix(const Colour& a, const Colour& b, float t);

class Canvas {
public:
    Canvas(std::uint32_t width, std::uint32_t height);

    std::uint32_t width() const { return width_; }
    std::uint32_t height() const { return height_; }
    // Pixels as 0xAARRGGBB, rows top-down.
    std::vector<std::uint32_t> argb() const;

    // Paints `colour` over the pixel with the given coverage (0..1), source-over.
    void blend(int x, int y, const Colour& colour, float coverage);
    // Replaces every pixel with colour(x, y) evaluated at its centre.
    template <typename Shader>
    void fill(Shader shader) {
        for (std::uint32_t y = 0; y < height_; ++y)
            for (std::uint32_t x = 0; x < width_; ++x)
                pixels_[y * width_ + x] =
                    shader(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
    }

    void disc(float cx, float cy, float radius, const Colour& colour);
    // A square of half-diagonal `radius` standing on a corner.
    void diamond(float cx, float cy, float radius, const Colour& colour);
    // An axis-aligned rectangle with rounded corners; `border` > 0 draws only its outline.
    void roundedRect(float x, float y, float w, float h, float corner, const Colour& colour,
                     float border = 0);

private:
    template <typename Distance>
    void shape(float left, float top, float right, float bottom, const Colour& colour,
               Distance distance);

    std::uint32_t width_;
    std::uint32_t height_;
    std::vector<Colour> pixels_;
};

}  // namespace demo

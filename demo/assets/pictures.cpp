#include "demo/assets/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace demo {
namespace {

constexpr float kScreenWidth = 640;
constexpr float kScreenHeight = 480;
constexpr std::uint32_t kBackgroundSize = 512;

// A point of the screen with a radius, placed by a fixed hash (no random generator, so every
// build draws the same picture).
struct Spot {
    float x, y, radius, brightness;
};

std::uint32_t hash(std::uint32_t v) {
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

float unit(std::uint32_t v) { return static_cast<float>(hash(v) & 0xFFFFFF) / 16777216.0f; }

std::vector<Spot> stars(std::uint32_t count, float skyBottom) {
    std::vector<Spot> out;
    for (std::uint32_t i = 0; i < count; ++i)
        out.push_back({unit(4 * i) * kScreenWidth, unit(4 * i + 1) * skyBottom,
                       0.8f + 1.6f * unit(4 * i + 2) * unit(4 * i + 2),
                       0.35f + 0.65f * unit(4 * i + 3)});
    return out;
}

// The coverage of a disc at a screen point, with a soft edge of about one screen pixel.
float discCoverage(float x, float y, float cx, float cy, float radius) {
    const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - radius;
    return std::clamp(0.5f - d, 0.0f, 1.0f);
}

Colour over(const Colour& below, const Colour& above, float coverage) {
    return mix(below, Colour{above.r, above.g, above.b, 1}, coverage * above.a);
}

// Fills a background canvas by evaluating `screen` at every pixel's place on the screen.
template <typename Screen>
Canvas background(Screen screen) {
    Canvas canvas(kBackgroundSize, kBackgroundSize);
    const float sx = kScreenWidth / kBackgroundSize;
    const float sy = kScreenHeight / kBackgroundSize;
    canvas.fill([&](float x, float y) { return screen(x * sx, y * sy); });
    return canvas;
}

// The colours of the nine emblem tiles, row by row.
const Colour kTileColours[9] = {
    {0.95f, 0.55f, 0.25f, 1}, {0.98f, 0.80f, 0.30f, 1}, {0.40f, 0.75f, 0.55f, 1},
    {0.90f, 0.40f, 0.45f, 1}, {0.98f, 0.95f, 0.85f, 1}, {0.35f, 0.60f, 0.85f, 1},
    {0.60f, 0.45f, 0.80f, 1}, {0.30f, 0.70f, 0.80f, 1}, {0.95f, 0.65f, 0.60f, 1}};

}  // namespace

Canvas splashPicture() {
    const Colour top{0.10f, 0.06f, 0.16f, 1}, bottom{0.45f, 0.20f, 0.22f, 1};
    const float cx = kScreenWidth / 2, cy = 200, tile = 34, gap = 6;
    return background([&](float x, float y) {
        Colour c = mix(top, bottom, y / kScreenHeight);
        // A soft glow behind the emblem.
        const float glow = std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 9000.0f);
        c = mix(c, Colour{0.98f, 0.75f, 0.45f, 1}, 0.45f * glow);
        // The emblem: a 3 x 3 grid of tiles turned by 45 degrees.
        const float u = ((x - cx) + (y - cy)) * 0.70710678f;
        const float v = ((y - cy) - (x - cx)) * 0.70710678f;
        const float pitch = tile + gap;
        const float gu = std::floor(u / pitch + 1.5f), gv = std::floor(v / pitch + 1.5f);
        if (gu >= 0 && gu < 3 && gv >= 0 && gv < 3) {
            const float lu = u - (gu - 1) * pitch, lv = v - (gv - 1) * pitch;
            const float edge = std::max(std::fabs(lu), std::fabs(lv)) - tile / 2;
            const float coverage = std::clamp(0.5f - edge, 0.0f, 1.0f);
            const Colour& colour = kTileColours[static_cast<int>(gv) * 3 + static_cast<int>(gu)];
            // A lighter rim on the upper edges of each tile.
            const float rim = std::clamp((-lv - tile / 2 + 5) / 5, 0.0f, 1.0f);
            c = over(c, mix(colour, Colour{1, 1, 1, 1}, 0.35f * rim), coverage);
        }
        return c;
    });
}

Canvas titlePicture() {
    const float horizon = 330;
    const std::vector<Spot> sky = stars(140, horizon - 10);
    const Colour zenith{0.02f, 0.03f, 0.12f, 1}, low{0.16f, 0.12f, 0.34f, 1};
    return background([&](float x, float y) {
        Colour c = mix(zenith, low, std::clamp(y / horizon, 0.0f, 1.0f));
        for (const Spot& s : sky) {
            const float coverage = discCoverage(x, y, s.x, s.y, s.radius);
            if (coverage > 0) c = over(c, Colour{1, 0.97f, 0.85f, s.brightness}, coverage);
        }
        // The moon with a faint halo.
        const float mx = 510, my = 90;
        const float halo = std::exp(-((x - mx) * (x - mx) + (y - my) * (y - my)) / 2500.0f);
        c = mix(c, Colour{0.55f, 0.55f, 0.75f, 1}, 0.35f * halo);
        c = over(c, Colour{0.97f, 0.95f, 0.82f, 1}, discCoverage(x, y, mx, my, 26));
        c = over(c, Colour{0.90f, 0.86f, 0.70f, 1}, discCoverage(x, y, mx + 8, my - 6, 6) * 0.6f);
        if (y >= horizon) {
            // A field of tiles in perspective, growing towards the viewer.
            const float depth = (y - horizon) / (kScreenHeight - horizon);
            const float size = 10 + 50 * depth;
            const float rowPosition = std::log(1 + 9 * depth) * 6;
            const float row = std::floor(rowPosition);
            // Rows per screen pixel at this depth, to measure the grout between rows in pixels.
            const float rowsPerPixel = 54 / (1 + 9 * depth) / (kScreenHeight - horizon);
            const float shift = std::fmod(row, 2.0f) * 0.5f;
            const float column = std::floor((x - kScreenWidth / 2) / size + shift);
            const float lx = (x - kScreenWidth / 2) / size + shift - column;
            const std::uint32_t cell =
                static_cast<std::uint32_t>(row * 97 + column + 1000) & 0xFFFF;
            const float shade = 0.55f + 0.45f * unit(cell);
            Colour tile =
                mix(Colour{0.10f, 0.30f, 0.38f, 1}, Colour{0.25f, 0.55f, 0.60f, 1}, shade);
            tile = mix(tile, low, 0.6f * (1 - depth));
            // Dark grout between the tiles.
            const float ly = rowPosition - row;
            const float grout =
                std::min(std::min(lx, 1 - lx) * size, std::min(ly, 1 - ly) / rowsPerPixel);
            c = mix(Colour{0.03f, 0.06f, 0.10f, 1}, tile, std::clamp(grout - 0.5f, 0.0f, 1.0f));
        }
        return c;
    });
}

Canvas framesPicture() {
    Canvas canvas(256, 256);
    canvas.roundedRect(2, 2, 252, 124, 14, Colour{0.05f, 0.07f, 0.18f, 0.78f});
    canvas.roundedRect(2, 2, 252, 124, 14, Colour{0.75f, 0.82f, 1.0f, 0.9f}, 2.5f);
    canvas.roundedRect(7, 7, 242, 114, 10, Colour{0.55f, 0.62f, 0.90f, 0.5f}, 1.0f);
    canvas.diamond(16, 144, 11, Colour{0.98f, 0.78f, 0.25f, 1});
    canvas.diamond(16, 142, 6, Colour{1.0f, 0.95f, 0.70f, 1});
    for (int i = 0; i < 4; ++i) {
        // Four thin rays of the sparkle, drawn as stretched diamonds along each axis.
        const float dx = (i % 2) ? 0 : 1, dy = (i % 2) ? 1 : 0;
        const float sign = i < 2 ? 1.0f : -1.0f;
        for (int step = 0; step < 12; ++step)
            canvas.disc(48 + sign * dx * step, 144 + sign * dy * step, 2.2f - step * 0.17f,
                        Colour{1, 1, 0.9f, 0.55f});
    }
    canvas.disc(48, 144, 3.5f, Colour{1, 1, 1, 1});
    for (int y = 128; y < 144; ++y)
        for (int x = 64; x < 80; ++x) canvas.blend(x, y, Colour{1, 1, 1, 1}, 1);
    return canvas;
}

}  // namespace demo

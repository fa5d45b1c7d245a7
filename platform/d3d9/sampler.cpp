#include "platform/d3d9/sampler.h"

#include <algorithm>
#include <cmath>

#include "platform/d3d9/texture.h"

namespace platform::d3d9 {
namespace {

// Coordinates are limited before they become texel indices, so that huge values cannot
// overflow; beyond this range CLAMP and BORDER give the same result anyway.
float limitCoordinate(float t, DWORD address) {
    if (std::isnan(t)) return 0.0f;
    if (address == D3DTADDRESS_WRAP) {
        if (!std::isfinite(t)) return 0.0f;
        return t - std::floor(t);
    }
    return std::clamp(t, -2.0f, 3.0f);
}

// Texel index for `address`, or -1 for a BORDER texel. Coordinates were limited before, so
// `i` lies within a few sizes of the texture and wrapping needs no division.
int addressTexel(int i, int size, DWORD address) {
    switch (address) {
    case D3DTADDRESS_WRAP:
        while (i < 0) i += size;
        while (i >= size) i -= size;
        return i;
    case D3DTADDRESS_BORDER:
        return i < 0 || i >= size ? -1 : i;
    default:
        return std::clamp(i, 0, size - 1);
    }
}

// floor() as an int for the texel coordinates here, which limitCoordinate keeps within a few
// texture sizes; the same value as std::floor without a library call on baseline x86-64.
int floorToInt(float x) {
    const int truncated = static_cast<int>(x);
    return x < static_cast<float>(truncated) ? truncated - 1 : truncated;
}

// Weights are never negative, so truncation rounds them as floor would.
float quantiseWeight(float f) {
    return static_cast<float>(static_cast<int>(f * 256.0f + 0.5f)) / 256.0f;
}

Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

}  // namespace

Colour colourFromArgb(DWORD argb) {
    constexpr float kScale = 1.0f / 255.0f;
    return {static_cast<float>((argb >> 16) & 0xFF) * kScale,
            static_cast<float>((argb >> 8) & 0xFF) * kScale,
            static_cast<float>(argb & 0xFF) * kScale, static_cast<float>(argb >> 24) * kScale};
}

TextureSampler::TextureSampler(const IDirect3DTexture9& texture,
                               const std::array<DWORD, kSamplerStateLimit>& states)
    : texture_(texture),
      addressU_(states[D3DSAMP_ADDRESSU]),
      addressV_(states[D3DSAMP_ADDRESSV]),
      magFilter_(states[D3DSAMP_MAGFILTER]),
      minFilter_(states[D3DSAMP_MINFILTER]),
      mipFilter_(states[D3DSAMP_MIPFILTER]),
      lodBias_(bitsFloat(states[D3DSAMP_MIPMAPLODBIAS])),
      levels_(texture.GetLevelCount()),
      border_(colourFromArgb(states[D3DSAMP_BORDERCOLOR])),
      borderBits_(states[D3DSAMP_BORDERCOLOR]),
      opaque_(texture.format() == D3DFMT_X8R8G8B8),
      kernels_(levelLaneKernels()) {
    firstLevel_ = std::min<UINT>(states[D3DSAMP_MAXMIPLEVEL], levels_ - 1);
    if (!std::isfinite(lodBias_)) lodBias_ = 0.0f;
    lodMatters_ = (mipFilter_ != D3DTEXF_NONE && levels_ > 1) || magFilter_ != minFilter_;
}

float TextureSampler::levelOfDetail(const float u[4], const float v[4]) const {
    const float width = static_cast<float>(texture_.level(0).width());
    const float height = static_cast<float>(texture_.level(0).height());
    const float dudx = (u[1] - u[0]) * width, dvdx = (v[1] - v[0]) * height;
    const float dudy = (u[2] - u[0]) * width, dvdy = (v[2] - v[0]) * height;
    const float rho =
        std::max(std::sqrt(dudx * dudx + dvdx * dvdx), std::sqrt(dudy * dudy + dvdy * dvdy));
    if (!(rho > 0.0f) || !std::isfinite(rho)) return rho > 0.0f ? 64.0f : -64.0f;
    return std::log2(rho) + lodBias_;
}

TextureSampler::LevelChoice TextureSampler::chooseLevel(float lod) const {
    if (lod <= 0.0f || mipFilter_ == D3DTEXF_NONE || levels_ == 1)
        return {firstLevel_, lod <= 0.0f ? magFilter_ : minFilter_, 0.0f};
    const float last = static_cast<float>(levels_ - 1);
    const float level = std::clamp(lod, static_cast<float>(firstLevel_), last);
    if (mipFilter_ == D3DTEXF_POINT)
        return {static_cast<UINT>(std::floor(level + 0.5f)), minFilter_, 0.0f};
    const UINT lower = static_cast<UINT>(std::floor(level));
    const float fraction = quantiseWeight(level - static_cast<float>(lower));
    return {lower, minFilter_, lower + 1 < levels_ ? fraction : 0.0f};
}

Colour TextureSampler::sample(float u, float v, float lod) const {
    u = limitCoordinate(u, addressU_);
    v = limitCoordinate(v, addressV_);
    const LevelChoice choice = chooseLevel(lod);
    const Colour near = sampleLevel(choice.level, u, v, choice.filter);
    if (choice.nextWeight == 0.0f) return near;
    return mix(near, sampleLevel(choice.level + 1, u, v, choice.filter), choice.nextWeight);
}

LevelTexels TextureSampler::levelTexels(UINT level) const {
    const IDirect3DSurface9& surface = texture_.level(level);
    return {surface.texels(),
            static_cast<int>(surface.width()),
            static_cast<int>(surface.height()),
            addressU_,
            addressV_,
            borderBits_,
            opaque_};
}

void TextureSampler::sampleQuads(const float* u, const float* v, std::size_t quads,
                                 const LaneRows& out) const {
    if (lodMatters_) {
        for (std::size_t q = 0; q < quads; ++q)
            sampleQuadAtItsLevel(u + 4 * q, v + 4 * q, out.advanced(4 * q));
        return;
    }
    const LevelQuadsFunction filter =
        magFilter_ == D3DTEXF_LINEAR ? kernels_.bilinear : kernels_.point;
    filter(levelTexels(firstLevel_), u, v, quads, out);
}

void TextureSampler::sampleQuadAtItsLevel(const float u[4], const float v[4],
                                          const LaneRows& out) const {
    const LevelChoice choice = chooseLevel(levelOfDetail(u, v));
    const LevelQuadsFunction filter =
        choice.filter == D3DTEXF_LINEAR ? kernels_.bilinear : kernels_.point;
    filter(levelTexels(choice.level), u, v, 1, out);
    if (choice.nextWeight == 0.0f) return;
    LaneColours next;
    filter(levelTexels(choice.level + 1), u, v, 1, rowsOf(next));
    for (int k = 0; k < 4; ++k)
        for (int lane = 0; lane < 4; ++lane)
            out.channel[k][lane] =
                out.channel[k][lane] + (next.c[k][lane] - out.channel[k][lane]) * choice.nextWeight;
}

bool TextureSampler::readsSingleTexels() const {
    return magFilter_ != D3DTEXF_LINEAR && minFilter_ != D3DTEXF_LINEAR &&
           (mipFilter_ == D3DTEXF_NONE || levels_ == 1);
}

std::uint32_t TextureSampler::texelBits(float u, float v) const {
    const IDirect3DSurface9& surface = texture_.level(firstLevel_);
    const int width = static_cast<int>(surface.width()),
              height = static_cast<int>(surface.height());
    const int x = addressTexel(
        floorToInt(limitCoordinate(u, addressU_) * static_cast<float>(width)), width, addressU_);
    const int y = addressTexel(
        floorToInt(limitCoordinate(v, addressV_) * static_cast<float>(height)), height, addressV_);
    if (x < 0 || y < 0) return borderBits_;
    const std::uint32_t texel = surface.texels()[static_cast<std::size_t>(y) * surface.width() + x];
    return opaque_ ? texel | 0xFF000000u : texel;
}

Colour TextureSampler::sampleLevel(UINT level, float u, float v, DWORD filter) const {
    const IDirect3DSurface9& surface = texture_.level(level);
    const int width = static_cast<int>(surface.width()),
              height = static_cast<int>(surface.height());
    const float tu = u * static_cast<float>(width);
    const float tv = v * static_cast<float>(height);
    if (filter != D3DTEXF_LINEAR)
        return fetch(surface, addressTexel(floorToInt(tu), width, addressU_),
                     addressTexel(floorToInt(tv), height, addressV_));
    const float fu = tu - 0.5f, fv = tv - 0.5f;
    const int x = floorToInt(fu), y = floorToInt(fv);
    const float wx = quantiseWeight(fu - static_cast<float>(x));
    const float wy = quantiseWeight(fv - static_cast<float>(y));
    const int x0 = addressTexel(x, width, addressU_), x1 = addressTexel(x + 1, width, addressU_);
    const int y0 = addressTexel(y, height, addressV_), y1 = addressTexel(y + 1, height, addressV_);
    const Colour top = mix(fetch(surface, x0, y0), fetch(surface, x1, y0), wx);
    const Colour bottom = mix(fetch(surface, x0, y1), fetch(surface, x1, y1), wx);
    return mix(top, bottom, wy);
}

Colour TextureSampler::fetch(const IDirect3DSurface9& surface, int x, int y) const {
    if (x < 0 || y < 0) return border_;
    Colour c = colourFromArgb(surface.texels()[static_cast<std::size_t>(y) * surface.width() + x]);
    if (opaque_) c.a = 1.0f;
    return c;
}

}  // namespace platform::d3d9

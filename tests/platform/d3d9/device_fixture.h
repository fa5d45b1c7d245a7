#pragma once
// A software device for tests: a windowed A8R8G8B8 back buffer with a D24X8 depth surface,
// frames captured by a memory presenter, and helpers to draw pretransformed quads and read
// pixels back.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9_structs.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d9.h"

namespace tessera::test {

using namespace platform::d3d9;

// FVF 0x244: the sprite layout (XYZRHW, DIFFUSE, TEX2).
struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u0, v0, u1, v1;
};
constexpr DWORD kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX2;

D3DPRESENT_PARAMETERS windowedParameters(UINT width, UINT height);

class DeviceTest : public ::testing::Test {
protected:
    DeviceTest() = default;
    ~DeviceTest() override;

    // Makes the Direct3D object over `profiles` and a device of width x height on adapter 0.
    void createDevice(UINT width, UINT height,
                      std::vector<AdapterProfile> profiles = {softwareAdapterProfile()});

    // The render target's pixels (ARGB), read through GetRenderTargetData.
    std::vector<std::uint32_t> readTarget(IDirect3DSurface9* target = nullptr);
    std::uint32_t pixel(int x, int y);

    // Fills a texture's level 0 (A8R8G8B8 or X8R8G8B8, MANAGED) with `texels`.
    IDirect3DTexture9* makeTexture(UINT width, UINT height,
                                   const std::vector<std::uint32_t>& texels,
                                   D3DFORMAT format = D3DFMT_A8R8G8B8);

    // Draws the axis-aligned rectangle [x0, x1) x [y0, y1) as two sprite triangles, with
    // texture coordinates u0..u1, v0..v1 on stage 0 and the given diffuse colour.
    void drawRect(float x0, float y0, float x1, float y1, D3DCOLOR colour, float u0 = 0,
                  float v0 = 0, float u1 = 1, float v1 = 1, float z = 0);

    unsigned rasterThreads_ = 1;  // threads drawing tiles in devices made after it is set
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    std::vector<std::vector<std::uint32_t>> frames_;
};

}  // namespace tessera::test

#pragma once
// The demanding test scene of the software device, drawn the way the renderer and the post
// effects draw: a mesh of 2,000 triangles skinned in a vs_2_0 shader by four bones a vertex
// (indices in a D3DCOLOR, matrices reached through a0), textured, lit and fogged, depth
// tested; then a ps_2_0 post-effect chain: a 4x down-sample, two 8-tap blurs at a quarter of
// the size and a full-screen composite of the scene and the blur into the back buffer.
#include <vector>

#include "platform/d3d9/device.h"

namespace d3d9shot {

class SkinnedScene {
public:
    // Creates the mesh, texture, shaders and render targets for a width x height back buffer
    // (both multiples of 4); ready() tells whether the device took them all.
    SkinnedScene(platform::d3d9::IDirect3DDevice9& device, unsigned width, unsigned height);
    ~SkinnedScene();
    SkinnedScene(const SkinnedScene&) = delete;
    SkinnedScene& operator=(const SkinnedScene&) = delete;

    bool ready() const { return ready_; }

    // Draws the frame at animation time `seconds` into the back buffer (BeginScene to
    // EndScene); false when a call failed.
    bool render(float seconds);
    // The scene alone: the skinned mesh into the scene render target.
    bool renderMesh(float seconds);
    // The full-screen textured copy of the scene render target into the back buffer.
    bool copyToBackBuffer();

private:
    struct Target {
        platform::d3d9::IDirect3DTexture9* texture = nullptr;
        platform::d3d9::IDirect3DSurface9* surface = nullptr;
    };
    bool makeTarget(Target& target, unsigned width, unsigned height);
    bool fullScreenPass(platform::d3d9::IDirect3DSurface9* target, unsigned width, unsigned height);
    bool blurPass(const Target& source, const Target& destination, float stepX, float stepY);

    platform::d3d9::IDirect3DDevice9& device_;
    unsigned width_, height_;
    bool ready_ = false;
    std::vector<unsigned char> vertices_;
    std::vector<std::uint16_t> indices_;
    unsigned vertexCount_ = 0;
    platform::d3d9::IDirect3DTexture9* meshTexture_ = nullptr;
    platform::d3d9::IDirect3DVertexShader9* skinning_ = nullptr;
    platform::d3d9::IDirect3DPixelShader9* downSample_ = nullptr;
    platform::d3d9::IDirect3DPixelShader9* blur_ = nullptr;
    platform::d3d9::IDirect3DPixelShader9* composite_ = nullptr;
    platform::d3d9::IDirect3DSurface9* backBuffer_ = nullptr;
    Target scene_, quarter_, blurred_;
};

}  // namespace d3d9shot

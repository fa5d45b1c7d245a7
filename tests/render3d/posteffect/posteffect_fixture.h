#pragma once
// A post effect set up on the test device: the assembled shaders copied into the program
// directory, a host with a configurable mode and noise textures, and a log of the passes.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render3d/L3DRenderer.h"
#include "render3d/posteffect/PostEffect.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {

class TestPostEffectHost : public PostEffectHost {
public:
    L3DDevice& device() override { return *device_; }
    PostEffectMode mode() const override { return mode_; }
    mirel::rcptr<L3DTexture> loadTexture(const char16_t* name) override;
    const L3DRenderer* renderer() const override { return renderer_.get(); }
    // The model stored under directory + name.
    mirel::rcptr<L3DObjectData> loadModel(const char16_t* directory, const char16_t* name) override;

    L3DDevice* device_ = nullptr;
    PostEffectMode mode_;
    std::map<std::u16string, mirel::rcptr<L3DTexture>> textures_;
    std::vector<std::u16string> asked_;
    std::unique_ptr<L3DRenderer> renderer_;
    std::map<std::u16string, mirel::rcptr<L3DObjectData>> models_;
};

class PostEffectTest : public Render3dTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A window device of the mode's size and a post effect set up on it (asserted).
    void start(uint32_t width = 160, uint32_t height = 120,
               platform::d3d9::AdapterProfile profile = softwareAdapterProfile(),
               uint32_t multiSampleIndex = 0);
    // A one-level texture of pseudo-random ARGB texels, offered as "sys/posteffect/<name>".
    mirel::rcptr<L3DTexture> addNoise(const std::u16string& name, uint32_t width, uint32_t height,
                                      uint32_t seed);
    mirel::rcptr<L3DTexture> patternTexture(uint32_t width, uint32_t height, uint32_t seed,
                                            bool opaque = false);
    // Draws the test scene into the current render target: a dark blue ground, a white block,
    // red and green bars and a grey block. Alpha marks what the alpha bloom makes glow: the
    // white block fully, the grey block by half, the red bar by a quarter, nothing else.
    void drawScene();
    // One frame: begin, the scene, render.
    void frame();

    // The passes of the frames since the last call, as "pass>target" with the targets named
    // "A", "B" (their roles at the pass), "Q4[0]", ..., "back".
    std::vector<std::string> takePasses();
    std::vector<uint32_t> backBufferPixels() const;
    static uint32_t texel(const L3DTexture& texture, uint32_t x, uint32_t y);

    TestPostEffectHost host_;
    std::unique_ptr<PostEffect> effect_;
    std::map<const L3DTexture*, std::string> names_;
    std::vector<std::string> passes_;
};

}  // namespace tessera::test

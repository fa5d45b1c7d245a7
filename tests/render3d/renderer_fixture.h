#pragma once
// A renderer over the software device for tests: shader archives made on the spot, the
// renderer created from one of them with a fixed time seed.
#include <memory>
#include <string>

#include "render3d/L3DRenderer.h"
#include "tests/render3d/support/built_shader_archive.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {

// The time Create seeds the renderer's random state with while a RendererTest runs.
inline constexpr uint32_t kFixedRendererTime = 1234567;

// A "DMF " archive with every vertex-shader member (the smallest valid vertex shader, scrambled)
// and "map3_psh", without the member named `omitted`.
std::string minimalShaderArchive(const std::string& omitted = "");

class RendererTest : public Render3dTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the archive into the program directory as "sys/renderer.csa" and creates the
    // renderer from it on the device (without a sound device).
    L3DRenderer& createRenderer(L3DDevice& device, const std::string& archive);

    std::unique_ptr<L3DRenderer> renderer_;

private:
    L3DRenderer::TimeSource savedTime_ = nullptr;
};

}  // namespace tessera::test

// d3d9shot OUTPUT_DIR: draws each test scene on a fresh software device, presents it to a
// memory presenter and writes the frame as OUTPUT_DIR/<scene>.png.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/memory_presenter.h"
#include "tools/d3d9shot/png_writer.h"
#include "tools/d3d9shot/scenes.h"

using namespace platform::d3d9;

namespace {

bool renderScene(const d3d9shot::Scene& scene, const std::string& directory) {
    std::vector<std::uint32_t> frame;
    Direct3DConfig config;
    config.adapters.push_back(softwareAdapterProfile());
    config.makePresenter = [&frame](HWND) {
        return std::make_unique<MemoryPresenter>([&frame](const PresentedFrame& f) {
            frame.resize(static_cast<std::size_t>(f.width) * f.height);
            for (UINT y = 0; y < f.height; ++y)
                std::memcpy(&frame[static_cast<std::size_t>(y) * f.width],
                            reinterpret_cast<const std::uint8_t*>(f.pixels) + static_cast<std::size_t>(y) * f.pitch,
                            f.width * 4);
        });
    };
    IDirect3D9* d3d = new IDirect3D9(std::move(config));
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = d3d9shot::kSceneWidth;
    pp.BackBufferHeight = d3d9shot::kSceneHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    IDirect3DDevice9* device = nullptr;
    bool ok = SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device));
    if (ok) {
        device->BeginScene();
        scene.draw(*device);
        device->EndScene();
        ok = SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr)) &&
             d3d9shot::writePng(directory + "/" + scene.name + ".png", d3d9shot::kSceneWidth, d3d9shot::kSceneHeight,
                                frame);
        device->Release();
    }
    d3d->Release();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: d3d9shot OUTPUT_DIR\n");
        return 2;
    }
    int failures = 0;
    for (const d3d9shot::Scene& scene : d3d9shot::kScenes) {
        if (!renderScene(scene, argv[1])) {
            std::fprintf(stderr, "d3d9shot: could not write %s/%s.png\n", argv[1], scene.name);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

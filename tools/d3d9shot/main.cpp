// d3d9shot OUTPUT_DIR: draws each test scene on a fresh software device, presents it to a
// memory presenter and writes the frame as OUTPUT_DIR/<scene>.png.
// d3d9shot --window [SECONDS [SCREENSHOT]]: shows the spinning skinned scene with its blur
// pass in a 640x480 window until it is closed (or for SECONDS), and writes the window's last
// frame to the PNG file SCREENSHOT.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/memory_presenter.h"
#include "platform/window/sdl_window.h"
#include "tools/d3d9shot/present_parameters.h"
#include "tools/d3d9shot/scenes.h"
#include "tools/d3d9shot/skinned_scene.h"
#include "tools/writers/png_writer.h"

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
                            reinterpret_cast<const std::uint8_t*>(f.pixels) +
                                static_cast<std::size_t>(y) * f.pitch,
                            f.width * 4);
        });
    };
    IDirect3D9* d3d = new IDirect3D9(std::move(config));
    D3DPRESENT_PARAMETERS pp = d3d9shot::windowedParameters(
        {.width = d3d9shot::kSceneWidth, .height = d3d9shot::kSceneHeight});
    IDirect3DDevice9* device = nullptr;
    bool ok = SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device));
    if (ok) {
        device->BeginScene();
        scene.draw(*device);
        device->EndScene();
        ok = SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr)) &&
             tools::writers::writePng(directory + "/" + scene.name + ".png", d3d9shot::kSceneWidth,
                                      d3d9shot::kSceneHeight, frame);
        device->Release();
    }
    d3d->Release();
    return ok;
}

int showWindow(double seconds, const char* screenshot) {
    constexpr unsigned kWidth = 640, kHeight = 480;
    auto window = platform::window::SdlWindow::open("d3d9shot", kWidth, kHeight);
    if (!window) {
        std::fprintf(stderr, "d3d9shot: no window (no display, or TESSERA_HEADLESS=1)\n");
        return 1;
    }
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp = d3d9shot::windowedParameters(
        {.width = kWidth, .height = kHeight, .interval = D3DPRESENT_INTERVAL_ONE});
    IDirect3DDevice9* device = nullptr;
    if (!d3d || FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window.get(),
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))) {
        std::fprintf(stderr, "d3d9shot: no device\n");
        if (d3d) d3d->Release();
        return 1;
    }
    int status = 0;
    {
        d3d9shot::SkinnedScene scene(*device, kWidth, kHeight);
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if ((seconds > 0 && elapsed >= seconds) || !window->pumpEvents()) break;
            if (!scene.render(static_cast<float>(elapsed)) ||
                FAILED(device->Present(nullptr, nullptr, nullptr, nullptr))) {
                std::fprintf(stderr, "d3d9shot: drawing the skinned scene failed\n");
                status = 1;
                break;
            }
        }
    }
    if (status == 0 && screenshot) {
        int width = 0, height = 0;
        const std::vector<std::uint32_t> shown = window->capture(width, height);
        if (shown.empty() ||
            !tools::writers::writePng(screenshot, static_cast<std::uint32_t>(width),
                                      static_cast<std::uint32_t>(height), shown)) {
            std::fprintf(stderr, "d3d9shot: could not write %s\n", screenshot);
            status = 1;
        }
    }
    device->Release();
    d3d->Release();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--window") == 0 && argc <= 4)
        return showWindow(argc >= 3 ? std::atof(argv[2]) : 0.0, argc >= 4 ? argv[3] : nullptr);
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: d3d9shot OUTPUT_DIR | d3d9shot --window [SECONDS [SCREENSHOT]]\n");
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

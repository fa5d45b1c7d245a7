#include "bench/support/bench_device.h"

#include <utility>

#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/adapters.h"
#include "render3d/window_client_size.h"

namespace tessera::bench {

void createBenchDevice(L3DDevice& device, uint32_t width, uint32_t height, unsigned threads) {
    using namespace platform::d3d9;
    l3dSetClientSizeQuery([width, height](HWND, uint32_t& w, uint32_t& h) {
        w = width;
        h = height;
        return true;
    });
    Direct3DConfig config;
    config.adapters = {softwareAdapterProfile()};
    config.rasterThreads = threads;
    IDirect3D9* direct3d = new IDirect3D9(std::move(config));
    l3dInit(direct3d);
    direct3d->Release();
    device.Create(0, reinterpret_cast<HWND>(0x1000), 0, 0, 0, 0, L3DDevice::OptionPreferWindow);
}

void releaseBenchDevice(L3DDevice& device) {
    device.ReleaseAll();
    l3dTerm();
    l3dReleaseDirect3D();
    l3dSetClientSizeQuery(nullptr);
}

}  // namespace tessera::bench

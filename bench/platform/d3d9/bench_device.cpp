#include "bench/platform/d3d9/bench_device.h"

#include <utility>

#include "tools/d3d9shot/present_parameters.h"

using namespace platform::d3d9;

namespace bench::d3d9 {

BenchDevice::BenchDevice(unsigned width, unsigned height, unsigned threads, bool depthBuffer) {
    Direct3DConfig config;
    config.adapters.push_back(softwareAdapterProfile());
    config.rasterThreads = threads;
    d3d_ = new IDirect3D9(std::move(config));
    D3DPRESENT_PARAMETERS pp = d3d9shot::windowedParameters(
        {.width = width, .height = height, .depthBuffer = depthBuffer});
    d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                       &device_);
}

BenchDevice::~BenchDevice() {
    if (device_) device_->Release();
    d3d_->Release();
}

}  // namespace bench::d3d9

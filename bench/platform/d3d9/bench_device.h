#pragma once
// A software device for the benchmarks: a windowed X8R8G8B8 back buffer of the given size,
// presented immediately, with the given number of tile threads and, if asked, a D24X8 depth
// buffer. device() is null when creation was refused.
#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d9.h"

namespace bench::d3d9 {

class BenchDevice {
public:
    BenchDevice(unsigned width, unsigned height, unsigned threads, bool depthBuffer);
    ~BenchDevice();
    BenchDevice(const BenchDevice&) = delete;
    BenchDevice& operator=(const BenchDevice&) = delete;

    platform::d3d9::IDirect3DDevice9* device() const { return device_; }

private:
    platform::d3d9::IDirect3D9* d3d_ = nullptr;
    platform::d3d9::IDirect3DDevice9* device_ = nullptr;
};

}  // namespace bench::d3d9

#include "tests/render3d/fuzz_device.h"

#include "platform/d3d9/direct3d9.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"

namespace tessera::test {

L3DDevice& fuzzDevice() {
    static L3DDevice* device = [] {
        l3dDiagMode = 0;
        l3dLogThreshold = -1;
        platform::d3d9::Direct3DConfig config;
        config.adapters = {platform::d3d9::softwareAdapterProfile()};
        config.rasterThreads = 1;
        auto* direct3d = new platform::d3d9::IDirect3D9(std::move(config));
        l3dInit(direct3d);
        direct3d->Release();
        auto* created = new L3DDevice;
        created->Create(0, nullptr, 0, 0, 0, 0,
                        L3DDevice::OptionCheckCompression | L3DDevice::OptionCheckMipmap);
        return created;
    }();
    return *device;
}

}  // namespace tessera::test

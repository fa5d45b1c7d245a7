#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {

void Render3dTest::SetUp() {
    PackRegistryTest::SetUp();
    l3dSetClientSizeQuery([this](HWND, uint32_t& width, uint32_t& height) {
        if (minimised_) return false;
        width = clientWidth_;
        height = clientHeight_;
        return true;
    });
}

void Render3dTest::TearDown() {
    device_.reset();
    l3dTerm();
    l3dReleaseDirect3D();
    l3dSetClientSizeQuery(nullptr);
    PackRegistryTest::TearDown();
}

void Render3dTest::startLibrary(std::vector<AdapterProfile> profiles) {
    Direct3DConfig config;
    config.adapters = std::move(profiles);
    config.rasterThreads = 1;
    config.makePresenter = presenter_;
    IDirect3D9* direct3d = new IDirect3D9(std::move(config));
    try {
        l3dInit(direct3d);
    } catch (...) {
        direct3d->Release();
        throw;
    }
    direct3d->Release();
}

L3DDevice& Render3dTest::createWindowed(AdapterProfile profile, uint32_t multiSampleIndex,
                                        uint32_t options) {
    startLibrary({std::move(profile)});
    device_ = std::make_unique<L3DDevice>();
    device_->Create(0, window(), 0, 0, 0, multiSampleIndex, options);
    return *device_;
}

std::vector<std::string> Render3dTest::calls() const {
    std::vector<std::string> out;
    for (const RecordedCall& call : device_->device()->recorder().calls())
        out.push_back(call.method + "(" + call.arguments + ")");
    return out;
}

}  // namespace tessera::test

#include "tests/platform/d3d9/device_fixture.h"

#include "tools/d3d9shot/present_parameters.h"

#include <cstring>

#include "platform/d3d9/memory_presenter.h"
#include "tests/platform/d3d9/support/presented_frames.h"

namespace tessera::test {

D3DPRESENT_PARAMETERS windowedParameters(UINT width, UINT height) {
    return d3d9shot::windowedParameters(
        {.width = width, .height = height, .format = D3DFMT_A8R8G8B8});
}

DeviceTest::~DeviceTest() {
    if (device_) {
        EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) d3d_->Release();
}

void DeviceTest::createDevice(UINT width, UINT height, std::vector<AdapterProfile> profiles) {
    Direct3DConfig config;
    config.adapters = std::move(profiles);
    config.rasterThreads = rasterThreads_;
    config.makePresenter = [this](HWND) {
        return std::make_unique<MemoryPresenter>([this](const PresentedFrame& frame) {
            frames_.push_back(copyPresentedFrame(frame).argb);
        });
    };
    d3d_ = new IDirect3D9(std::move(config));
    D3DPRESENT_PARAMETERS pp = windowedParameters(width, height);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &pp, &device_),
              D3D_OK);
    ASSERT_EQ(device_->SetFVF(kSpriteFvf), D3D_OK);
    // No culling or depth unless a test asks; lighting off as the runtime's state cache has it.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
}

std::vector<std::uint32_t> DeviceTest::readTarget(IDirect3DSurface9* target) {
    IDirect3DSurface9* rt = target;
    if (!rt) device_->GetRenderTarget(0, &rt);
    D3DSURFACE_DESC desc;
    rt->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                   D3DPOOL_SYSTEMMEM, &copy, nullptr),
              D3D_OK);
    EXPECT_EQ(device_->GetRenderTargetData(rt, copy), D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(copy->LockRect(&locked, nullptr, 0), D3D_OK);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(&pixels[std::size_t{y} * desc.Width],
                    static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
    copy->UnlockRect();
    copy->Release();
    if (!target) rt->Release();
    return pixels;
}

std::uint32_t DeviceTest::pixel(int x, int y) {
    IDirect3DSurface9* rt = nullptr;
    device_->GetRenderTarget(0, &rt);
    const UINT width = rt->desc().Width;
    rt->Release();
    return readTarget()[static_cast<std::size_t>(y) * width + x];
}

IDirect3DTexture9* DeviceTest::makeTexture(UINT width, UINT height,
                                           const std::vector<std::uint32_t>& texels,
                                           D3DFORMAT format) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        device_->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                    &texels[std::size_t{y} * width], width * 4);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    return texture;
}

void DeviceTest::drawRect(float x0, float y0, float x1, float y1, D3DCOLOR colour, float u0,
                          float v0, float u1, float v1, float z) {
    const SpriteVertex v[4] = {{x0, y0, z, 1, colour, u0, v0, u0, v0},
                               {x1, y0, z, 1, colour, u1, v0, u1, v0},
                               {x0, y1, z, 1, colour, u0, v1, u0, v1},
                               {x1, y1, z, 1, colour, u1, v1, u1, v1}};
    const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                              v, sizeof(SpriteVertex)),
              D3D_OK);
}

}  // namespace tessera::test

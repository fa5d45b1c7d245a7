// Device rules: scenes, Present to the presenter, lost devices and Reset, references held on
// bound resources, draws that leave no stream behind, and the call recorder.
#include <gtest/gtest.h>

#include "platform/os/clock.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

class DeviceLifecycle : public DeviceTest {
protected:
    void SetUp() override { createDevice(8, 4); }
};

// A device whose adapter's failure block the test keeps.
class LostDevice : public DeviceTest {
protected:
    void SetUp() override {
        AdapterProfile profile = softwareAdapterProfile();
        failures_ = profile.failures;
        createDevice(8, 4, {profile});
    }
    std::shared_ptr<InjectedFailures> failures_;
};

TEST_F(DeviceLifecycle, ScenesNestOnceAndPresentHandsTheBackBufferOver) {
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(frames_.size(), 1u);
    EXPECT_EQ(frames_[0], std::vector<std::uint32_t>(32, 0xFF102030));
    const RECT r{0, 0, 1, 1};
    EXPECT_EQ(device_->Present(&r, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(DeviceLifecycle, DrawsOutsideASceneAreRefused) {
    const SpriteVertex v[3] = {};
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(SpriteVertex)),
              D3DERR_INVALIDCALL);
}

TEST_F(DeviceLifecycle, ClearTouchesOnlyTheViewport) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    D3DVIEWPORT9 full;
    ASSERT_EQ(device_->GetViewport(&full), D3D_OK);
    EXPECT_EQ(full.Width, 8u);
    EXPECT_EQ(full.Height, 4u);
    // The split-screen case: a half-width viewport on the right.
    D3DVIEWPORT9 half = full;
    half.Width = 4;
    half.X = 4;
    ASSERT_EQ(device_->SetViewport(&half), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    // A rectangle reaching outside the viewport is cut to it.
    const D3DRECT rect{2, 1, 6, 2};
    ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    const std::vector<std::uint32_t> out = readTarget();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const std::uint32_t expected =
                x < 4 ? 0xFF000000 : (y == 1 && x < 6 ? 0xFF00FF00 : 0xFFFFFFFF);
            EXPECT_EQ(out[y * 8 + x], expected) << x << "," << y;
        }
    ASSERT_EQ(device_->SetViewport(&full), D3D_OK);
    D3DVIEWPORT9 outside = full;
    outside.X = 1;
    EXPECT_EQ(device_->SetViewport(&outside), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0),
              D3DERR_INVALIDCALL);  // D24X8
}

TEST_F(DeviceLifecycle, BoundResourcesStayAliveUntilUnbound) {
    IDirect3DTexture9* texture = makeTexture(1, 1, {0xFFFFFFFF});
    ASSERT_EQ(device_->SetTexture(2, texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 1u);  // the device's reference remains
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device_->GetTexture(2, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    EXPECT_EQ(bound->Release(), 1u);
    EXPECT_EQ(device_->SetTexture(4, nullptr), D3DERR_INVALIDCALL);

    IDirect3DVertexBuffer9* vb = nullptr;
    ASSERT_EQ(device_->CreateVertexBuffer(36 * 4, 0x8, kSpriteFvf, D3DPOOL_MANAGED, &vb, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->SetStreamSource(0, vb, 0, 36), D3D_OK);
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(12, 0x8, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->SetIndices(ib), D3D_OK);
    EXPECT_EQ(vb->Release(), 1u);
    EXPECT_EQ(ib->Release(), 1u);

    // A user-pointer draw leaves stream 0 and the indices unset, dropping those references.
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    IDirect3DVertexBuffer9* stream = reinterpret_cast<IDirect3DVertexBuffer9*>(1);
    UINT offset = 1, stride = 1;
    ASSERT_EQ(device_->GetStreamSource(0, &stream, &offset, &stride), D3D_OK);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(stride, 0u);
    IDirect3DIndexBuffer9* indices = reinterpret_cast<IDirect3DIndexBuffer9*>(1);
    ASSERT_EQ(device_->GetIndices(&indices), D3D_OK);
    EXPECT_EQ(indices, nullptr);
    ASSERT_EQ(device_->SetTexture(2, nullptr), D3D_OK);
}

TEST_F(DeviceLifecycle, ResetIsRefusedWhileDefaultPoolResourcesLive) {
    IDirect3DTexture9* managed = makeTexture(1, 1, {0xFF0000FF});
    IDirect3DTexture9* render = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &render, nullptr),
              D3D_OK);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    D3DPRESENT_PARAMETERS pp = windowedParameters(16, 8);
    EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    render->Release();

    // A held back buffer blocks the reset too.
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device_->Reset(&pp), D3DERR_INVALIDCALL);
    backBuffer->Release();

    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    // States are back to their defaults, the viewport covers the new back buffer, and the
    // managed texture survived.
    DWORD value = 0;
    ASSERT_EQ(device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &value), D3D_OK);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(device_->GetRenderState(D3DRS_CULLMODE, &value), D3D_OK);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_CCW));
    D3DVIEWPORT9 vp;
    device_->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 16u);
    EXPECT_EQ(vp.Height, 8u);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0xFF0000FFu);
    managed->UnlockRect(0);
    EXPECT_EQ(managed->Release(), 0u);
}

TEST_F(LostDevice, LostDeviceNeedsAResetOnceTheCauseIsGone) {
    failures_->testCooperativeLevel = D3DERR_DEVICELOST;
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS pp = windowedParameters(8, 4);
    EXPECT_EQ(device_->Reset(&pp), D3DERR_DEVICELOST);
    // Drawing while lost is accepted and does nothing.
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    drawRect(-0.5f, -0.5f, 0.5f, 0.5f, 0xFFFFFFFF);
    ASSERT_EQ(device_->EndScene(), D3D_OK);

    failures_->testCooperativeLevel = D3D_OK;
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    failures_->reset = D3DERR_OUTOFVIDEOMEMORY;
    EXPECT_EQ(device_->Reset(&pp), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    failures_->reset = D3D_OK;
    ASSERT_EQ(device_->Reset(&pp), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(readTarget()[0], 0u);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(DeviceLifecycle, RenderTargetsAndDepthSurfacesSwitch) {
    IDirect3DTexture9* render = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &render, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(render->GetSurfaceLevel(0, &level), D3D_OK);
    IDirect3DSurface9* original = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &original), D3D_OK);
    IDirect3DSurface9* autoDepth = nullptr;
    ASSERT_EQ(device_->GetDepthStencilSurface(&autoDepth), D3D_OK);

    ASSERT_EQ(device_->SetRenderTarget(0, level), D3D_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
    IDirect3DSurface9* none = reinterpret_cast<IDirect3DSurface9*>(1);
    EXPECT_EQ(device_->GetDepthStencilSurface(&none), D3DERR_NOTFOUND);
    EXPECT_EQ(none, nullptr);
    D3DVIEWPORT9 vp;
    device_->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 4u);
    EXPECT_EQ(vp.Height, 2u);
    // The whole level 0 filled through ColorFill, then part of it copied to the back buffer.
    ASSERT_EQ(device_->ColorFill(level, nullptr, 0xFF000000), D3D_OK);
    const RECT corner{0, 0, 2, 1};
    ASSERT_EQ(device_->ColorFill(level, &corner, 0x80FF0000), D3D_OK);
    ASSERT_EQ(device_->StretchRect(level, &corner, original, &corner, D3DTEXF_NONE), D3D_OK);
    EXPECT_EQ(readTarget(level)[0], 0x80FF0000u);
    EXPECT_EQ(readTarget(level)[2], 0xFF000000u);
    EXPECT_EQ(readTarget(original)[1], 0x80FF0000u);
    // Managed textures are not render targets.
    IDirect3DTexture9* managed = makeTexture(1, 1, {0});
    IDirect3DSurface9* managedLevel = nullptr;
    managed->GetSurfaceLevel(0, &managedLevel);
    EXPECT_EQ(device_->SetRenderTarget(0, managedLevel), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->ColorFill(managedLevel, nullptr, 0), D3DERR_INVALIDCALL);
    managedLevel->Release();
    managed->Release();

    // A pooled depth surface of the render texture's size.
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(4, 2, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                 &depth, nullptr),
              D3D_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(depth), D3D_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0), D3D_OK);
    EXPECT_EQ(device_->SetDepthStencilSurface(level), D3DERR_INVALIDCALL);

    ASSERT_EQ(device_->SetRenderTarget(0, original), D3D_OK);
    ASSERT_EQ(device_->SetDepthStencilSurface(autoDepth), D3D_OK);
    depth->Release();
    level->Release();
    render->Release();
    original->Release();
    autoDepth->Release();
}

TEST_F(DeviceLifecycle, SurfaceCopiesCheckTheirSurfaces) {
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    IDirect3DSurface9* small = nullptr;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &small,
                                                   nullptr),
              D3D_OK);
    EXPECT_EQ(device_->GetRenderTargetData(back, small), D3DERR_INVALIDCALL);  // size differs
    IDirect3DSurface9* plain = nullptr;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain,
                                                   nullptr),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(2, 1, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &plain,
                                                   nullptr),
              D3D_OK);
    // Two source pixels stretched over the 8 x 4 back buffer by nearest texel; X8R8G8B8
    // copies arrive opaque.
    ASSERT_EQ(device_->ColorFill(plain, nullptr, 0x00112233), D3D_OK);
    const RECT right{1, 0, 2, 1};
    ASSERT_EQ(device_->ColorFill(plain, &right, 0x00445566), D3D_OK);
    ASSERT_EQ(device_->StretchRect(plain, nullptr, back, nullptr, D3DTEXF_NONE), D3D_OK);
    const std::vector<std::uint32_t> out = readTarget();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(out[y * 8 + x], x < 4 ? 0xFF112233u : 0xFF445566u) << x << "," << y;
    EXPECT_EQ(device_->StretchRect(plain, nullptr, back, nullptr, D3DTEXF_LINEAR),
              D3DERR_INVALIDCALL);
    const RECT beyond{0, 0, 9, 4};
    EXPECT_EQ(device_->StretchRect(plain, nullptr, back, &beyond, D3DTEXF_NONE),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->StretchRect(back, nullptr, back, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    plain->Release();
    small->Release();
    back->Release();
}

TEST_F(DeviceLifecycle, VertexFormatsAndPrioritiesAreKept) {
    for (DWORD fvf : {0x815Eu, 0x835Eu, 0x842u, 0x244u}) {
        ASSERT_EQ(device_->SetFVF(fvf), D3D_OK);
        DWORD back = 0;
        device_->GetFVF(&back);
        EXPECT_EQ(back, fvf);
    }
    EXPECT_EQ(describeFvf(0x815E).stride, 56u);
    EXPECT_EQ(describeFvf(0x835E).stride, 72u);
    EXPECT_EQ(describeFvf(0x842).stride, 80u);
    EXPECT_EQ(describeFvf(0x244).stride, 36u);
    EXPECT_EQ(describeFvf(0x815E).blendIndicesOffset, 28);
    EXPECT_EQ(describeFvf(0x815E).diffuseOffset, 44);
    EXPECT_EQ(device_->SetFVF(D3DFVF_DIFFUSE), D3DERR_INVALIDCALL);  // no position
    EXPECT_EQ(device_->SetFVF(D3DFVF_XYZW | D3DFVF_DIFFUSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetFVF(0x244 | 0x2000), D3DERR_INVALIDCALL);  // unknown bit
    IDirect3DTexture9* texture = makeTexture(1, 1, {0});
    EXPECT_EQ(texture->SetPriority(0), 0u);
    EXPECT_EQ(texture->SetPriority(7), 0u);
    EXPECT_EQ(texture->GetPriority(), 7u);
    texture->Release();
}

TEST_F(DeviceLifecycle, CreationParametersAndVertexProcessingAreReported) {
    D3DDEVICE_CREATION_PARAMETERS created;
    ASSERT_EQ(device_->GetCreationParameters(&created), D3D_OK);
    EXPECT_EQ(created.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING,
              D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_EQ(device_->SetSoftwareVertexProcessing(FALSE), D3D_OK);
    EXPECT_EQ(device_->GetSoftwareVertexProcessing(), TRUE);
    D3DRASTER_STATUS status;
    EXPECT_EQ(device_->GetRasterStatus(0, &status), D3DERR_INVALIDCALL);  // no READ_SCANLINE
    EXPECT_EQ(device_->EvictManagedResources(), D3D_OK);
}

// An adapter that reports D3DCAPS_READ_SCANLINE.
class ScanLineDevice : public DeviceTest {
protected:
    void SetUp() override {
        AdapterProfile profile = softwareAdapterProfile();
        profile.caps.Caps |= D3DCAPS_READ_SCANLINE;
        createDevice(8, 40, {profile});
    }
};

TEST_F(ScanLineDevice, RasterStatusFollowsAVirtual60HzDisplay) {
    // A vertical-blank wait polls while InVBlank is set, then while it is clear: both states
    // come round.
    bool sawBlank = false, sawScan = false;
    for (int i = 0; i < 100000000 && !(sawBlank && sawScan); ++i) {
        D3DRASTER_STATUS status;
        ASSERT_EQ(device_->GetRasterStatus(0, &status), D3D_OK);
        if (status.InVBlank)
            sawBlank = true;
        else {
            sawScan = true;
            EXPECT_LT(status.ScanLine, 40u);
        }
    }
    EXPECT_TRUE(sawBlank);
    EXPECT_TRUE(sawScan);
}

TEST_F(ScanLineDevice, RasterStatusFollowsThePresentersVirtualBlanks) {
    // Blanks fall at n * 10^7 / 60 counter ticks, rounded down. The 40-line back buffer's frame
    // has 3 blank lines, then 40 scanned ones: 43 lines over a blank's 166,666 or 166,667 ticks.
    struct Case {
        std::uint64_t counter;
        BOOL inBlank;
        UINT scanLine;
    };
    const Case cases[] = {
        {166665, FALSE, 39},             // the last line before blank 1
        {166666, TRUE, 0},               // blank 1, not a whole number of ticks from 0
        {166666666, TRUE, 0},            // blank 1000
        {166666666 + 11627, TRUE, 0},    // line 2, the last blank one
        {166666666 + 11628, FALSE, 0},   // line 3, the first scanned
        {166666666 + 83333, FALSE, 18},  // half way
        {166833332, FALSE, 39},          // the tick before blank 1001
        {166833333, TRUE, 0},
    };
    platform::os::ManualClock clock;
    platform::os::setClock(&clock);
    for (const Case& c : cases) {
        clock.advanceTicks(c.counter - clock.counter());
        D3DRASTER_STATUS status;
        ASSERT_EQ(device_->GetRasterStatus(0, &status), D3D_OK);
        EXPECT_EQ(status.InVBlank, c.inBlank) << c.counter;
        EXPECT_EQ(status.ScanLine, c.scanLine) << c.counter;
    }
    platform::os::setClock(nullptr);
}

TEST_F(DeviceLifecycle, StatesAreStoredAndUnknownOnesRefused) {
    for (DWORD state : {161u, 206u, 207u, 208u, 209u, 7u, 154u, 165u}) {
        ASSERT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), 0x1234), D3D_OK)
            << state;
        DWORD value = 0;
        ASSERT_EQ(device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &value), D3D_OK);
        EXPECT_EQ(value, 0x1234u);
    }
    for (DWORD state : {0u, 10u, 17u, 153u, 164u, 169u, 177u, 196u, 210u})
        EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), 0),
                  D3DERR_INVALIDCALL)
            << state;
    DWORD value = 0;
    device_->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &value);
    EXPECT_EQ(value, 3u);
    device_->GetTextureStageState(1, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_DISABLE));
    device_->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(device_->SetSamplerState(4, D3DSAMP_ADDRESSU, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 1),
              D3DERR_INVALIDCALL);

    const float constants[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    float back[8] = {};
    ASSERT_EQ(device_->SetVertexShaderConstantF(254, constants, 2), D3D_OK);
    ASSERT_EQ(device_->GetVertexShaderConstantF(254, back, 2), D3D_OK);
    EXPECT_EQ(back[7], 8.0f);
    EXPECT_EQ(device_->SetVertexShaderConstantF(255, constants, 2), D3DERR_INVALIDCALL);
    // Software vertex processing has 8192 registers (the caps still report 256).
    device_->SetSoftwareVertexProcessing(TRUE);
    EXPECT_EQ(device_->SetVertexShaderConstantF(8190, constants, 2), D3D_OK);
    ASSERT_EQ(device_->GetVertexShaderConstantF(8191, back, 1), D3D_OK);
    EXPECT_EQ(back[3], 8.0f);
    EXPECT_EQ(device_->SetVertexShaderConstantF(8191, constants, 2), D3DERR_INVALIDCALL);
    device_->SetSoftwareVertexProcessing(FALSE);
    EXPECT_EQ(device_->GetVertexShaderConstantF(8191, back, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetPixelShaderConstantF(31, constants, 1), D3D_OK);
    EXPECT_EQ(device_->SetPixelShaderConstantF(32, constants, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetPixelShaderConstantF(0xFFFFFFFF, constants, 2), D3DERR_INVALIDCALL);
}

TEST_F(DeviceLifecycle, RecorderLogsCallsWithArgumentsWhenOn) {
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    EXPECT_TRUE(device_->recorder().calls().empty());
    device_->recorder().setEnabled(true);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetTexture(0, nullptr);
    device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const D3DVIEWPORT9 vp{0, 0, 4, 4, 0.0f, 1.0f};
    device_->SetViewport(&vp);
    const auto& calls = device_->recorder().calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].method, "SetRenderState");
    EXPECT_EQ(calls[0].arguments, "19, 5");
    EXPECT_EQ(calls[1].arguments, "0, null");
    EXPECT_EQ(calls[2].method, "Clear");
    EXPECT_EQ(calls[2].arguments, "0, null, 2, 0, 1, 0");
    EXPECT_EQ(calls[3].arguments, "0, 0, 4, 4, 0, 1");
    device_->recorder().clear();
    EXPECT_TRUE(device_->recorder().calls().empty());
}

}  // namespace
}  // namespace tessera::test

// The Direct3D object over adapter profiles: queries, device creation and its failures.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d9.h"
#include "tests/platform/d3d9/device_fixture.h"

namespace tessera::test {
namespace {

IDirect3D9* makeDirect3D(std::vector<AdapterProfile> adapters) {
    Direct3DConfig config;
    config.adapters = std::move(adapters);
    return new IDirect3D9(std::move(config));
}

TEST(Direct3DCreate9, MakesTheSoftwareAdapterOnlyForSdk32) {
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(Direct3DCreate9, OverrideCanSimulateMissingDirect3D) {
    setDirect3DCreate9Override([](UINT) { return nullptr; });
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    setDirect3DCreate9Override({});
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    d3d->Release();
}

TEST(SoftwareProfile, ReportsWhatTheRuntimeChecks) {
    IDirect3D9* d3d = makeDirect3D({softwareAdapterProfile()});
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.AdapterOrdinal, 0u);
    EXPECT_EQ(caps.DevCaps & 0x80400u, 0x80400u);
    EXPECT_EQ(caps.PrimitiveMiscCaps & 0x72u, 0x72u);
    EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND);
    EXPECT_EQ(caps.Caps & D3DCAPS_READ_SCANLINE, 0u);
    EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL |
                                  D3DPTEXTURECAPS_SQUAREONLY),
              0u);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_EQ(caps.MaxTextureWidth, 4096u);
    EXPECT_EQ(caps.MaxSimultaneousTextures, 4u);
    EXPECT_EQ(caps.VertexShaderVersion, 0xFFFE0200u);
    EXPECT_EQ(caps.PixelShaderVersion, 0xFFFF0200u);
    EXPECT_EQ(caps.MaxVertexShaderConst, 256u);
    EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDCALL);

    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    ASSERT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 5u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), 0u);
    const UINT expected[5][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 960}, {1280, 1024}};
    for (UINT i = 0; i < 5; ++i) {
        ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &mode), D3D_OK);
        EXPECT_EQ(mode.Width, expected[i][0]);
        EXPECT_EQ(mode.Height, expected[i][1]);
    }
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 5, &mode), D3DERR_INVALIDCALL);
    d3d->Release();
}

TEST(SoftwareProfile, IdentifierIsStableBetweenObjects) {
    IDirect3D9* first = makeDirect3D({softwareAdapterProfile()});
    IDirect3D9* second = Direct3DCreate9(D3D_SDK_VERSION);
    D3DADAPTER_IDENTIFIER9 a, b;
    ASSERT_EQ(first->GetAdapterIdentifier(0, 0, &a), D3D_OK);
    ASSERT_EQ(second->GetAdapterIdentifier(0, 0, &b), D3D_OK);
    EXPECT_EQ(std::memcmp(&a.DeviceIdentifier, &b.DeviceIdentifier, sizeof(GUID)), 0);
    EXPECT_STREQ(a.Description, b.Description);
    EXPECT_LT(std::strlen(a.Description), 256u);
    EXPECT_GT(std::strlen(a.Driver), 0u);
    first->Release();
    second->Release();
}

TEST(SoftwareProfile, FormatQueriesMatchTheRecommendation) {
    IDirect3D9* d3d = makeDirect3D({softwareAdapterProfile()});
    const auto X8 = D3DFMT_X8R8G8B8;
    struct Case {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        bool accepted;
    };
    const Case cases[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT3, true},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT5, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, false},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8B8G8R8, false},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, true},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8B8G8R8, false},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X8, true},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X4S4, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32, false},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, X8, c.usage, c.type, c.format) == D3D_OK,
            c.accepted)
            << "format " << c.format << " usage " << c.usage;
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 0, D3DRTYPE_TEXTURE,
                                     D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);

    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, X8, X8, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, X8, D3DFMT_A8R8G8B8, FALSE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, FALSE),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, TRUE),
              D3DERR_NOTAVAILABLE);

    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, X8, D3DFMT_A8R8G8B8, D3DFMT_D24X8),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, X8, D3DFMT_A8R8G8B8, D3DFMT_D24S8),
              D3DERR_NOTAVAILABLE);

    for (DWORD type = 2; type <= 16; ++type) {
        DWORD quality = 0;
        EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, FALSE,
                                                  static_cast<D3DMULTISAMPLE_TYPE>(type), &quality),
                  D3D_OK);
        EXPECT_EQ(quality, 1u);
        EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_D24X8, TRUE,
                                                  static_cast<D3DMULTISAMPLE_TYPE>(type), &quality),
                  D3D_OK);
    }
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, FALSE,
                                              static_cast<D3DMULTISAMPLE_TYPE>(17), nullptr),
              D3DERR_NOTAVAILABLE);
    d3d->Release();
}

TEST(AdapterProfiles, SmallTexturesAndTwoAdaptersAreReportedAsGiven) {
    AdapterProfile small = softwareAdapterProfile(0);
    small.caps.MaxTextureWidth = small.caps.MaxTextureHeight = 512;
    AdapterProfile second = softwareAdapterProfile(1);
    std::strcpy(second.identifier.Description, "second adapter");
    second.identifier.DeviceIdentifier.Data1 = 0x1234;
    IDirect3D9* d3d = makeDirect3D({small, second});
    ASSERT_EQ(d3d->GetAdapterCount(), 2u);
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.MaxTextureWidth, 512u);
    ASSERT_EQ(d3d->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.AdapterOrdinal, 1u);
    EXPECT_EQ(caps.MaxTextureWidth, 4096u);
    D3DADAPTER_IDENTIFIER9 id;
    ASSERT_EQ(d3d->GetAdapterIdentifier(1, 0, &id), D3D_OK);
    EXPECT_STREQ(id.Description, "second adapter");
    EXPECT_EQ(id.DeviceIdentifier.Data1, 0x1234u);

    // The device made on the small adapter enforces its limit.
    D3DPRESENT_PARAMETERS pp = windowedParameters(64, 64);
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &pp, &device),
              D3D_OK);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(
        device->CreateTexture(1024, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    ASSERT_EQ(
        device->CreateTexture(512, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    texture->Release();
    device->Release();
    d3d->Release();
}

TEST(AdapterProfiles, CreateDeviceFailsAsInjectedAndOnBadParameters) {
    AdapterProfile failing = softwareAdapterProfile();
    failing.failures->createDevice = D3DERR_NOTAVAILABLE;
    IDirect3D9* d3d = makeDirect3D({failing, softwareAdapterProfile(1)});
    D3DPRESENT_PARAMETERS pp = windowedParameters(64, 64);
    IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x80, &pp, &device),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(device, nullptr);

    struct Case {
        const char* what;
        void (*change)(D3DPRESENT_PARAMETERS&);
    };
    const Case cases[] = {
        {"zero width", [](D3DPRESENT_PARAMETERS& p) { p.BackBufferWidth = 0; }},
        {"16-bit back buffer",
         [](D3DPRESENT_PARAMETERS& p) { p.BackBufferFormat = D3DFMT_R5G6B5; }},
        {"unlisted depth", [](D3DPRESENT_PARAMETERS& p) { p.AutoDepthStencilFormat = D3DFMT_D16; }},
        {"refresh rate in a window",
         [](D3DPRESENT_PARAMETERS& p) { p.FullScreen_RefreshRateInHz = 60; }},
        {"full screen without such a mode", [](D3DPRESENT_PARAMETERS& p) { p.Windowed = FALSE; }},
        {"multisample type 17",
         [](D3DPRESENT_PARAMETERS& p) {
             p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(17);
         }},
    };
    for (const Case& c : cases) {
        D3DPRESENT_PARAMETERS bad = windowedParameters(64, 64);
        c.change(bad);
        EXPECT_TRUE(FAILED(d3d->CreateDevice(1, D3DDEVTYPE_HAL, nullptr, 0x20, &bad, &device)))
            << c.what;
        EXPECT_EQ(device, nullptr) << c.what;
    }
    EXPECT_EQ(d3d->CreateDevice(1, D3DDEVTYPE_HAL, nullptr, 0x20 | 0x40, &pp, &device),
              D3DERR_INVALIDCALL);

    // A full-screen mode of the list with multisampling (rendered single-sampled) works.
    D3DPRESENT_PARAMETERS full = windowedParameters(800, 600);
    full.Windowed = FALSE;
    full.FullScreen_RefreshRateInHz = 60;
    full.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(4);
    full.MultiSampleQuality = 0;
    ASSERT_EQ(d3d->CreateDevice(1, D3DDEVTYPE_HAL, nullptr, 0x24, &full, &device), D3D_OK);
    D3DDEVICE_CREATION_PARAMETERS created;
    ASSERT_EQ(device->GetCreationParameters(&created), D3D_OK);
    EXPECT_EQ(created.AdapterOrdinal, 1u);
    EXPECT_EQ(created.BehaviorFlags, 0x24u);
    EXPECT_EQ(device->Release(), 0u);
    d3d->Release();
}

}  // namespace
}  // namespace tessera::test

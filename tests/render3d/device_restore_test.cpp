#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "render3d/screenshot.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using DeviceRestore = Render3dTest;

bool recorded(const std::vector<std::string>& calls, const std::string& prefix) {
    return std::any_of(calls.begin(), calls.end(),
                       [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
}

TEST_F(DeviceRestore, ResetsOnlyWhenTheWindowOrTheDeviceAsks) {
    L3DDevice& device = createWindowed();
    recorder().setEnabled(true);
    EXPECT_TRUE(device.Restore(true));
    EXPECT_FALSE(recorded(calls(), "Reset"));

    clientWidth_ = 800;
    clientHeight_ = 600;
    EXPECT_TRUE(device.Restore(true));
    EXPECT_TRUE(recorded(calls(), "Reset"));
    EXPECT_EQ(device.windowParameters().BackBufferWidth, 800u);
    EXPECT_EQ(device.renderTarget()->desc().Width, 800u);
    EXPECT_EQ(device.renderTarget()->desc().Height, 600u);

    recorder().clear();
    EXPECT_TRUE(device.Restore(true));
    EXPECT_FALSE(recorded(calls(), "Reset"));
}

TEST_F(DeviceRestore, FollowsTheCooperativeLevel) {
    AdapterProfile profile = softwareAdapterProfile();
    std::shared_ptr<InjectedFailures> failures = profile.failures;
    L3DDevice& device = createWindowed(profile);
    recorder().setEnabled(true);

    failures->testCooperativeLevel = D3DERR_DEVICENOTRESET;
    EXPECT_TRUE(device.Restore(true));
    EXPECT_TRUE(recorded(calls(), "Reset"));
    failures->testCooperativeLevel = D3D_OK;

    failures->testCooperativeLevel = D3DERR_DEVICELOST;
    recorder().clear();
    EXPECT_FALSE(device.Restore(true));
    EXPECT_TRUE(device.lost());
    EXPECT_FALSE(recorded(calls(), "Reset"));
    EXPECT_FALSE(device.Present());

    failures->testCooperativeLevel = D3D_OK;
    EXPECT_TRUE(device.RestoreIfNeeded());
    EXPECT_FALSE(device.lost());
    EXPECT_TRUE(device.Present());
}

TEST_F(DeviceRestore, SwitchesBetweenWindowAndFullScreen) {
    startLibrary({softwareAdapterProfile()});
    device_ = std::make_unique<L3DDevice>();
    device_->Create(0, window(), 32, 800, 600, 0, kWindowOptions);
    ASSERT_TRUE(device_->windowed());
    ASSERT_TRUE(device_->Restore(false));
    EXPECT_FALSE(device_->windowed());
    EXPECT_TRUE(device_->flags() & L3DDevice::FlagPresentWaits);
    EXPECT_EQ(device_->backBuffer()->desc().Width, 800u);
    recorder().setEnabled(true);
    EXPECT_TRUE(device_->Restore(false));  // already full screen and healthy
    EXPECT_FALSE(recorded(calls(), "Reset"));
    ASSERT_TRUE(device_->Restore(true));
    EXPECT_TRUE(device_->windowed());
    EXPECT_FALSE(device_->flags() & L3DDevice::FlagPresentWaits);
    EXPECT_EQ(device_->backBuffer()->desc().Width, 640u);
}

// The device refuses Reset while any DEFAULT-pool resource lives, so a successful restore with
// a render texture and a pooled depth surface shows both were released first; both come back.
TEST_F(DeviceRestore, ReleasesAndRebuildsDefaultPoolResources) {
    L3DDevice& device = createWindowed(softwareAdapterProfile(), 3);
    ASSERT_EQ(device.windowParameters().MultiSampleType, static_cast<D3DMULTISAMPLE_TYPE>(4));
    mirel::rcptr<L3DTexture> target = device.CreateTextureBack(256, 256);
    ASSERT_TRUE(target);
    recorder().setEnabled(true);
    ASSERT_TRUE(device.SetRenderTarget(true, target));
    // Pooled depth surfaces pair with render textures, which are never multisampled.
    EXPECT_TRUE(recorded(calls(), "CreateDepthStencilSurface(256, 256, 77, 0, 0, 1"));
    EXPECT_EQ(target->contentsLost, 0);
    ASSERT_TRUE(device.SetRenderTarget(false, {}));
    EXPECT_EQ(device.depthSurfaceCount(), 1u);

    clientWidth_ = 320;
    recorder().clear();
    ASSERT_TRUE(device.Restore(true));
    EXPECT_TRUE(recorded(calls(), "Reset"));
    EXPECT_NE(target->texture, nullptr);
    EXPECT_EQ(target->contentsLost, 1);
    EXPECT_TRUE(device.SetRenderTarget(true, target));
    EXPECT_EQ(device.depthSurfaceCount(), 1u);
    EXPECT_TRUE(device.SetRenderTarget(false, {}));
}

TEST_F(DeviceRestore, AFailedRestoreLeavesRenderTexturesUnusableButSafe) {
    AdapterProfile profile = softwareAdapterProfile();
    std::shared_ptr<InjectedFailures> failures = profile.failures;
    L3DDevice& device = createWindowed(profile);
    mirel::rcptr<L3DTexture> target = device.CreateTextureBack(64, 64);
    ASSERT_TRUE(target);
    failures->reset = D3DERR_DEVICELOST;
    clientWidth_ = 320;
    EXPECT_FALSE(device.Restore(true));
    EXPECT_TRUE(device.lost());
    EXPECT_EQ(target->texture, nullptr);

    recorder().setEnabled(true);
    EXPECT_FALSE(device.SetRenderTarget(false, target));
    target->CopyBackBuffer();
    target->FillColor(0xFF00FF00);
    EXPECT_TRUE(calls().empty());

    failures->reset = D3D_OK;
    EXPECT_TRUE(device.Restore(true));
    EXPECT_NE(target->texture, nullptr);
    EXPECT_TRUE(device.SetRenderTarget(false, target));
}

TEST_F(DeviceRestore, SwitchingToATextureThatIsNotARenderTargetChangesNothing) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<L3DTexture> texture = device.CreateTexture("plain", 16, 16);
    recorder().setEnabled(true);
    EXPECT_FALSE(device.SetRenderTarget(true, texture));
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(device.renderTarget(), device.backBuffer());
}

TEST_F(DeviceRestore, ViewportsFollowTheRenderTarget) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<L3DTexture> target = device.CreateTextureBack(128, 64);
    ASSERT_TRUE(device.SetRenderTarget(false, target));
    D3DVIEWPORT9 viewport{};
    device.device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 128u);
    EXPECT_EQ(viewport.Height, 64u);
    device.SetViewportSize(100, 1000);
    device.device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 100u);
    EXPECT_EQ(viewport.Height, 64u);
    ASSERT_TRUE(device.SetRenderTarget(false, {}));
    device.device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 640u);
    EXPECT_EQ(viewport.Height, 480u);
}

// The BMP of a 3 x 2 frame cleared to 0xFF102030: rows of three BGR pixels padded to 12 bytes.
std::string expectedClearedBitmap() {
    std::string bmp(54, '\0');
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54 + 24);
    put32(10, 54);
    put32(14, 40);
    put32(18, 3);
    put32(22, 2);
    bmp[26] = 1;
    bmp[28] = 24;
    put32(34, 24);
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 3; ++x) bmp += std::string("\x30\x20\x10", 3);
        bmp += std::string(3, '\0');
    }
    return bmp;
}

TEST_F(DeviceRestore, ScreenshotWritesTheBackBufferAsBitmap) {
    for (uint32_t multiSample : {0u, 1u}) {
        clientWidth_ = 3;
        clientHeight_ = 2;
        L3DDevice& device = createWindowed(softwareAdapterProfile(), multiSample);
        device.device()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
        recorder().setEnabled(true);
        mirel::DFile file;
        MemoryStream& stream = attachMemory(file, "", "shot.bmp");
        ASSERT_TRUE(device.SaveScreenshot(file)) << multiSample;
        const std::string bytes = stream.bytes();
        const std::string expected = expectedClearedBitmap();
        ASSERT_EQ(bytes.size(), expected.size()) << multiSample;
        // The header fields that matter and every pixel byte.
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(bytes.substr(18, 12), expected.substr(18, 12)) << multiSample;
        EXPECT_EQ(bytes.substr(54), expected.substr(54)) << multiSample;
        const std::vector<std::string> made = calls();
        EXPECT_EQ(recorded(made, "StretchRect"), multiSample != 0) << multiSample;
        device_.reset();
    }
}

TEST_F(DeviceRestore, MultisampledTargetsCannotBeReadDirectly) {
    L3DDevice& device = createWindowed(softwareAdapterProfile(), 1);
    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(device.device()->CreateOffscreenPlainSurface(640, 480, D3DFMT_A8R8G8B8,
                                                           D3DPOOL_SYSTEMMEM, &plain, nullptr),
              D3D_OK);
    EXPECT_EQ(device.device()->GetRenderTargetData(device.backBuffer(), plain), D3DERR_INVALIDCALL);
    plain->Release();
}

TEST_F(DeviceRestore, ScreenshotKindsFollowTheBackBufferFormat) {
    struct Case {
        D3DFORMAT format;
        bool known;
        mirel::DImageKind kind;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, true, mirel::DImageKind::BGRA32},
        {D3DFMT_X8R8G8B8, true, mirel::DImageKind::BGRA32},
        {D3DFMT_R8G8B8, true, mirel::DImageKind::BGR24},
        {D3DFMT_R5G6B5, true, mirel::DImageKind::R5G6B5},
        {D3DFMT_X1R5G5B5, true, mirel::DImageKind::A1R5G5B5},
        {D3DFMT_A4R4G4B4, true, mirel::DImageKind::A4R4G4B4},
        {D3DFMT_X8B8G8R8, true, mirel::DImageKind::RGBA32},
        {D3DFMT_X4R4G4B4, false, mirel::DImageKind::RGBA32},
        {D3DFMT_A2R10G10B10, false, mirel::DImageKind::RGBA32},
    };
    for (const Case& c : cases) {
        mirel::DImageKind kind = mirel::DImageKind::RGBA32;
        EXPECT_EQ(l3dBackBufferImageKind(c.format, kind), c.known) << c.format;
        if (c.known) {
            EXPECT_EQ(kind, c.kind) << c.format;
        }
    }
}

}  // namespace
}  // namespace tessera::test

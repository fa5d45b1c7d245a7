#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using DeviceCreation = Render3dTest;

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// A profile with a mode of 720 x 400 in 16 bits only.
AdapterProfile sixteenBitModeProfile() {
    AdapterProfile profile = softwareAdapterProfile();
    profile.modes.push_back({720, 400, 60, D3DFMT_R5G6B5});
    profile.deviceTypes.push_back({D3DFMT_R5G6B5, D3DFMT_R5G6B5});
    profile.formats.push_back({D3DRTYPE_SURFACE, D3DFMT_R5G6B5, D3DUSAGE_RENDERTARGET});
    return profile;
}

// A desktop in a format the table does not know: no window mode.
AdapterProfile foreignDesktopProfile() {
    AdapterProfile profile = softwareAdapterProfile();
    profile.desktop.Format = D3DFMT_A2R10G10B10;
    profile.deviceTypes.push_back({D3DFMT_A2R10G10B10, D3DFMT_A2R10G10B10});
    return profile;
}

TEST_F(DeviceCreation, ChoosesModesFromTheProfile) {
    struct Case {
        const char* name;
        AdapterProfile profile;
        int32_t bits;
        uint32_t width, height, multiSample, options;
        bool minimised;
        uint32_t expectFlags;  // of FullScreen | Window
        bool expectWindowed;
        UINT windowWidth, windowHeight;
        D3DMULTISAMPLE_TYPE windowMultiSample;
        int32_t colourDepth;
    };
    const Case cases[] = {
        {"32-bit asked, only a 16-bit mode of the size", sixteenBitModeProfile(), 32, 720, 400, 0,
         2 | 4, false, L3DDevice::FlagWindow, true, 640, 480, D3DMULTISAMPLE_NONE, 32},
        // The device makes no 16-bit back buffer, so creation falls back to the window.
        {"bits searched find the 16-bit mode", sixteenBitModeProfile(), 0, 720, 400, 0, 2 | 4,
         false, L3DDevice::FlagWindow | L3DDevice::FlagFullScreen, true, 640, 480,
         D3DMULTISAMPLE_NONE, 32},
        {"desktop format outside the table", foreignDesktopProfile(), 32, 640, 480, 0, 1 | 2 | 4,
         false, L3DDevice::FlagFullScreen, false, 0, 0, D3DMULTISAMPLE_NONE, 32},
        {"multisample index 1", softwareAdapterProfile(), 0, 0, 0, 1, kWindowOptions, false,
         L3DDevice::FlagWindow, true, 640, 480, D3DMULTISAMPLE_2_SAMPLES, 32},
        {"multisample index 16", softwareAdapterProfile(), 0, 0, 0, 16, kWindowOptions, false,
         L3DDevice::FlagWindow, true, 640, 480, D3DMULTISAMPLE_NONE, 32},
        {"minimised window", softwareAdapterProfile(), 0, 0, 0, 0, kWindowOptions, true,
         L3DDevice::FlagWindow, true, 1, 1, D3DMULTISAMPLE_NONE, 32},
    };
    for (const Case& c : cases) {
        minimised_ = c.minimised;
        startLibrary({c.profile});
        device_ = std::make_unique<L3DDevice>();
        device_->Create(0, window(), c.bits, c.width, c.height, c.multiSample, c.options);
        EXPECT_EQ(device_->flags() & (L3DDevice::FlagWindow | L3DDevice::FlagFullScreen),
                  c.expectFlags)
            << c.name;
        EXPECT_EQ(device_->windowed(), c.expectWindowed) << c.name;
        EXPECT_EQ(device_->colourDepth(), c.colourDepth) << c.name;
        if (c.expectFlags & L3DDevice::FlagWindow) {
            EXPECT_EQ(device_->windowParameters().BackBufferWidth, c.windowWidth) << c.name;
            EXPECT_EQ(device_->windowParameters().BackBufferHeight, c.windowHeight) << c.name;
            EXPECT_EQ(device_->windowParameters().MultiSampleType, c.windowMultiSample) << c.name;
        }
        device_.reset();
    }
}

TEST_F(DeviceCreation, AFullScreenOnlyAdapterThatCannotCreateIsFatal) {
    AdapterProfile profile = foreignDesktopProfile();
    profile.failures->createDevice = D3DERR_NOTAVAILABLE;
    startLibrary({profile});
    device_ = std::make_unique<L3DDevice>();
    expectFatal([&] { device_->Create(0, window(), 32, 640, 480, 0, 2 | 4); },
                "[L3DDevice::Create] D3Dデバイスが作成できません");
    EXPECT_EQ(device_->device(), nullptr);
}

TEST_F(DeviceCreation, NoUsableModeOrAdapterIsFatal) {
    startLibrary({foreignDesktopProfile()});
    device_ = std::make_unique<L3DDevice>();
    expectFatal([&] { device_->Create(1, window(), 32, 640, 480, 0, 0); },
                "[L3DDevice::Create] 指定されたアダプタ番号(1)は存在しない");
    expectFatal([&] { device_->Create(0, window(), 32, 720, 400, 0, 0); },
                "[L3DDevice::Create] D3D機能が利用できませんでした(Tessera software "
                "rasteriser/tessera_d3d9)");
}

TEST_F(DeviceCreation, LogsTheCreationReport) {
    startLibrary({softwareAdapterProfile()});
    device_ = std::make_unique<L3DDevice>();
    device_->Create(0, window(), 32, 800, 600, 0, kWindowOptions);
    const std::string expected =
        "[L3DDevice::Create] Using a D3D Adapter is Tessera software rasteriser(tessera_d3d9 "
        "v1.0.0.1).\r\n"
        "\tFullscreen:\r\n\t\tBackbuffer: 800x600x32(A8R8G8B8)\r\n\t\tDepth: D24X8\r\n"
        "\t\tMultisample: 0\r\n"
        "\tWindow:\r\n\t\tBackbuffer: 640x480x32(A8R8G8B8)\r\n\t\tDepth: D24X8\r\n"
        "\t\tMultisample: 0\r\n"
        "\tStencil: disable\r\n\tTexture Compress: enable\r\n\tVertex Shader: enable\r\n"
        "\tVertex Shader Const: 256\r\n\tVertex Shader Matrix: 256\r\n\tPixel Shader: enable\r\n"
        "\tTexture mipmap: enable\r\n\n";
    const std::string log = withoutCarriageReturns(log_.text());
    EXPECT_NE(log.find(withoutCarriageReturns(expected)), std::string::npos) << log;
    EXPECT_NE(log.find("[L3DDevice::_CreateTextureManager]\n\tColor texture format: X8R8G8B8\n"
                       "\tAlpha texture format: A8R8G8B8\n\tRender texture format: A8R8G8B8\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(device_->flags() & L3DDevice::FlagPresentWaits, 0u);  // windowed
}

TEST_F(DeviceCreation, SoftwareVertexProcessingClearsTheShaderFlag) {
    AdapterProfile profile = softwareAdapterProfile();
    profile.caps.VertexShaderVersion = 0xFFFE0000;  // below 1.1
    L3DDevice& device = createWindowed(profile);
    EXPECT_EQ(device.flags() & L3DDevice::FlagVertexShader, 0u);
    D3DDEVICE_CREATION_PARAMETERS creation{};
    device.device()->GetCreationParameters(&creation);
    EXPECT_EQ(creation.BehaviorFlags, D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(DeviceCreation, FullScreenWithTheDefaultIntervalWaitsInPresent) {
    startLibrary({softwareAdapterProfile()});
    device_ = std::make_unique<L3DDevice>();
    device_->Create(0, window(), 32, 800, 600, 0, L3DDevice::OptionCheckMipmap);
    EXPECT_FALSE(device_->windowed());
    EXPECT_EQ(device_->flags() & (L3DDevice::FlagDefaultInterval | L3DDevice::FlagPresentWaits),
              L3DDevice::FlagDefaultInterval | L3DDevice::FlagPresentWaits);
    EXPECT_EQ(device_->fullScreenParameters().PresentationInterval, D3DPRESENT_INTERVAL_DEFAULT);
    EXPECT_EQ(device_->fullScreenParameters().FullScreen_RefreshRateInHz, 60u);
    EXPECT_EQ(device_->flags() & L3DDevice::FlagDxt, 0u);  // not asked for
    EXPECT_TRUE(device_->Present());
}

}  // namespace
}  // namespace tessera::test

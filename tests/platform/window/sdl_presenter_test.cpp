// The SDL2 window and presenter. Headless runs get no window, so the device falls back to the
// memory presenter; the RealWindow tests need a display (run under Xvfb by ctest) and are
// skipped without one unless TESSERA_REQUIRE_DISPLAY=1.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/d3d9/d3d9_structs.h"
#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/window/sdl_window.h"
#include "tools/d3d9shot/present_parameters.h"

namespace {

using namespace platform::d3d9;
using platform::window::SdlWindow;

D3DPRESENT_PARAMETERS parameters(UINT width, UINT height, UINT interval) {
    return d3d9shot::windowedParameters(
        {.width = width, .height = height, .depthBuffer = false, .interval = interval});
}

// Clears the back buffer in four coloured quarters and presents it.
void presentQuarters(IDirect3DDevice9* device, UINT width, UINT height) {
    const D3DCOLOR colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
    for (int q = 0; q < 4; ++q) {
        const LONG x = (q & 1) * static_cast<LONG>(width / 2),
                   y = (q >> 1) * static_cast<LONG>(height / 2);
        const D3DRECT rect{x, y, x + static_cast<LONG>(width / 2),
                           y + static_cast<LONG>(height / 2)};
        ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, colours[q], 1.0f, 0), D3D_OK);
    }
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST(HeadlessWindow, NoWindowOpensAndTheDeviceStillPresents) {
    ASSERT_STREQ(std::getenv("TESSERA_HEADLESS"), "1");
    EXPECT_EQ(SdlWindow::open("headless", 64, 48), nullptr);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp = parameters(64, 48, D3DPRESENT_INTERVAL_IMMEDIATE);
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &pp, &device),
              D3D_OK);
    presentQuarters(device, 64, 48);
    device->Release();
    d3d->Release();
}

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = SdlWindow::open("Tessera window test", 160, 120);
        if (window_) return;
        const char* required = std::getenv("TESSERA_REQUIRE_DISPLAY");
        if (required && std::string(required) == "1") FAIL() << "no display for the SDL2 window";
        GTEST_SKIP() << "no display";
    }

    std::unique_ptr<SdlWindow> window_;
};

TEST_F(RealWindow, DevicePresentsIntoTheWindow) {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    for (UINT interval : {D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_ONE}) {
        IDirect3DDevice9* device = nullptr;
        D3DPRESENT_PARAMETERS pp = parameters(160, 120, interval);
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window_.get(),
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        presentQuarters(device, 160, 120);
        int width = 0, height = 0;
        const std::vector<std::uint32_t> shown = window_->capture(width, height);
        ASSERT_EQ(width, 160);
        ASSERT_EQ(height, 120);
        EXPECT_EQ(shown[10 * 160 + 10] & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(shown[10 * 160 + 150] & 0xFFFFFF, 0x00FF00u);
        EXPECT_EQ(shown[110 * 160 + 10] & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(shown[110 * 160 + 150] & 0xFFFFFF, 0xFFFF00u);
        device->Release();
    }
    d3d->Release();
}

TEST_F(RealWindow, FramesOfAnotherSizeAreScaledToTheWindow) {
    std::vector<std::uint32_t> frame(40 * 30, 0xFF336699);
    ASSERT_TRUE(window_->show(frame.data(), 40, 30, 40 * 4));
    int width = 0, height = 0;
    const std::vector<std::uint32_t> shown = window_->capture(width, height);
    ASSERT_EQ(shown.size(), 160u * 120u);
    EXPECT_EQ(shown[60 * 160 + 80] & 0xFFFFFF, 0x336699u);
    EXPECT_FALSE(window_->show(frame.data(), 40, 30, 39 * 4));  // pitch shorter than a row
}

}  // namespace

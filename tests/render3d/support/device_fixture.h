#pragma once
// The 3D library over the software device for tests: adapter profiles given by the test, the
// device's calls recorded, a program directory of its own for pack files, fatal reports kept
// in the captured debug log.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DDevice.h"
#include "render3d/adapters.h"
#include "render3d/window_client_size.h"
#include "tests/foundation/support/pack_fixture.h"

namespace tessera::test {

using namespace platform::d3d9;

// Options the system passes for its window setting: prefer the window, check compression and
// mip-mapping.
inline constexpr uint32_t kWindowOptions = L3DDevice::OptionPreferWindow |
                                           L3DDevice::OptionCheckCompression |
                                           L3DDevice::OptionCheckMipmap;

class Render3dTest : public mirel::PackRegistryTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // l3dInit over a Direct3D object with these adapters.
    void startLibrary(std::vector<AdapterProfile> profiles);
    // Starts the library on one adapter and creates a window device on it.
    L3DDevice& createWindowed(AdapterProfile profile = softwareAdapterProfile(),
                              uint32_t multiSampleIndex = 0, uint32_t options = kWindowOptions);

    CallRecorder& recorder() { return device_->device()->recorder(); }
    // The recorded calls as "Method(arguments)", in order.
    std::vector<std::string> calls() const;
    // Expects the statement to end in the game exception with this (UTF-8) text in the log.
    template <class Statement>
    void expectFatal(Statement statement, const std::string& utf8Text) {
        EXPECT_THROW(statement(), LExceptGame);
        EXPECT_NE(log_.text().find(mirel::Sjis(utf8Text)), std::string::npos)
            << "missing: " << utf8Text;
    }

    HWND window() const { return reinterpret_cast<HWND>(0x1000); }

    // The presenter of devices made after it is set (empty: a memory presenter that drops
    // the frames).
    PresenterFactory presenter_;
    uint32_t clientWidth_ = 640;
    uint32_t clientHeight_ = 480;
    bool minimised_ = false;
    std::unique_ptr<L3DDevice> device_;
};

}  // namespace tessera::test

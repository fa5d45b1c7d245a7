#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "foundation/DApplication.h"
#include "foundation/pack/pack_registry.h"
#include "platform/os/cp932.h"
#include "platform/os/module_path.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/support/temp_dir.h"

namespace mirel {

// A program directory of its own (a temporary folder), an empty pack table before and after,
// and the debug log captured.
class PackRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        platform::os::overrideModuleFileName(dir_.file("tessera"));
        ASSERT_TRUE(application_.Init(nullptr, 10));
        DApplication::SetCurrent(&application_);
        lfmReleasePacks();
        // Fatal errors are kept, not shown, and forgotten afterwards.
        savedMode_ = l3dDiagMode;
        l3dDiagMode = l3dDiagDefer;
    }
    void TearDown() override {
        l3dTermDiag();
        l3dDiagMode = savedMode_;
        lfmReleasePacks();
        DApplication::SetCurrent(nullptr);
        platform::os::overrideModuleFileName(std::nullopt);
    }

    // The program directory with a final '/'.
    std::string programDir() const { return dir_.path() + "/"; }

    tessera::test::TempDir dir_;
    tessera::test::DebugCapture log_;

private:
    DApplication application_;
    uint32_t savedMode_ = 0;
};

// The CP932 form of a UTF-8 text (the library logs CP932).
inline std::string Sjis(const std::string& utf8) { return platform::os::utf8ToCp932(utf8); }

}  // namespace mirel

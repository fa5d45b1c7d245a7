#pragma once
// The pack registry with the running game's provider installed over the framework's files: a
// temporary program folder (the executable's), an empty pack table, fatal 3D-library errors
// kept rather than shown, and the debug log captured.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/startup/lfm_pellam.h"
#include "foundation/DApplication.h"
#include "foundation/rcptr.h"
#include "platform/os/cp932.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/framework/support/file_fixture.h"

namespace tessera::test {

class ProviderTest : public FrameworkFiles {
protected:
    void SetUp() override;
    void TearDown() override;

    // Mounts an "APFC" pack written beside the executable.
    void mountPack(const std::string& name,
                   const std::vector<std::pair<std::u16string, std::string>>& members);

    // The CP932 form of a UTF-8 text (the 3D library's messages are CP932).
    static std::string sjis(const std::string& utf8) { return platform::os::utf8ToCp932(utf8); }

    std::optional<DebugCapture> debug_;

private:
    mirel::DApplication application_;
    uint32_t savedDiagMode_ = 0;
};

}  // namespace tessera::test

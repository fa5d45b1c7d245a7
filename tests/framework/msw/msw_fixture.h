#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/framework/support/file_fixture.h"

namespace tessera::test {

// The framework started in a temporary home ("<temp>/Bin/game"), with a recorder in place of
// message boxes and an exit hook that returns, so that errors can be reported. The window
// platform itself is started by each test (after it wrote the settings it needs) and stopped
// after it.
class MswFiles : public FrameworkFiles {
protected:
    struct Box {
        std::string cp932Text;
        std::string cp932Caption;
        uint32_t style;
    };

    void SetUp() override;
    void TearDown() override;

    // Writes "<temp>/data/game.ini".
    void writeSettings(const std::string& text) const;
    std::string logPath() const { return temp().path() + "/data/game.log"; }
    // The log's bytes, or "(none)" when there is no log file.
    std::string logBytes() const;

    static std::vector<Box>& boxes();
};

}  // namespace tessera::test

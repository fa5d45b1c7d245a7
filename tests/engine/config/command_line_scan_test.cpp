#include "engine/config/command_line_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os/command_line.h"

namespace tessera::test {
namespace {

struct ScanCase {
    std::u16string line;
    StartMode mode;
    uint32_t inputPipe;
    uint32_t outputPipe;
    bool pipesMatch;
};

TEST(CommandLineScan, OptionsAndPipes) {
    const ScanCase cases[] = {
        {u"game.exe", StartMode::Normal, 0, 0, true},
        {u"game.exe --lounge 0x1c4 0x1d0", StartMode::Lounge, 452, 464, true},
        {u"game.exe --adjuster 12 34", StartMode::Adjuster, 12, 34, true},
        {u"game.exe --lounge 5", StartMode::Lounge, 5, 0, false},
        {u"game.exe --lounge=7 5 6", StartMode::Lounge, 5, 6, true},
        {u"game.exe --lounge 5 6 --config", StartMode::SettingsOnly, 5, 6, false},
        {u"game.exe --config=1", StartMode::SettingsOnly, 0, 0, true},
        {u"game.exe --netconfig", StartMode::NetworkSettings, 0, 0, true},
        {u"game.exe\u3000--adjuster\u30000x10\u3000010", StartMode::Adjuster, 16, 8, true},
        {u"game.exe --lounge\uFF1D9 3 4", StartMode::Lounge, 3, 4, true},
        {u"game.exe --lounge = 9 3 4", StartMode::Lounge, 3, 4, true},
        {u"game.exe --config --unknown", StartMode::SettingsOnly, 0, 0, true},
        {u"--config", StartMode::Normal, 0, 0, true},  // the program path matches nothing
        {u"game.exe --CONFIG", StartMode::Normal, 0, 0, true},
        {u"\"C:\\a b\\game.exe\" --netconfig", StartMode::NetworkSettings, 0, 0, true},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        const StartOptions options = scanCommandLine(c.line.c_str());
        EXPECT_EQ(options.mode, c.mode);
        EXPECT_EQ(options.inputPipe, c.inputPipe);
        EXPECT_EQ(options.outputPipe, c.outputPipe);
        EXPECT_EQ(pipesMatchMode(options), c.pipesMatch);
    }
}

TEST(CommandLineScan, ReadsTheProcessCommandLine) {
    const char* argv[] = {"/opt/my game/game", "--lounge", "0x1c4", "0x1d0"};
    platform::os::saveArgs(4, argv);
    const StartOptions options = scanCommandLine(platform::os::commandLine().c_str());
    EXPECT_EQ(options.mode, StartMode::Lounge);
    EXPECT_EQ(options.inputPipe, 452u);
    EXPECT_EQ(options.outputPipe, 464u);
}

TEST(CommandLineScan, UnsignedNumbersWithBasePrefix) {
    const struct {
        const char16_t* text;
        uint64_t value;
    } cases[] = {
        {u"0", 0},
        {u"123", 123},
        {u"0x1C4", 452},
        {u"0X1c4", 452},
        {u"017", 15},
        {u"019", 1},  // octal stops at 9
        {u"0x", 0},
        {u"12ab", 12},
        {u"", 0},
        {u"--config", 0},
        {u"-1", UINT64_MAX},
        {u"+7", 7},
        {u"18446744073709551615", UINT64_MAX},
        {u"18446744073709551616", UINT64_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        EXPECT_EQ(readUnsigned(c.text, 0), c.value);
    }
}

}  // namespace
}  // namespace tessera::test

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/os/command_line.h"
#include "platform/os/debug_output.h"
#include "platform/os/module_path.h"

namespace platform::os {
namespace {

TEST(ModulePath, ExecutableByDefaultOrInProgramDirectory) {
    unsetenv("TESSERA_PROGRAM_DIR");
    const std::string own = moduleFileName();
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(own.front(), '/');
    EXPECT_NE(own.find("test_platform_os"), std::string::npos);

    setenv("TESSERA_PROGRAM_DIR", "/games/title", 1);
    EXPECT_EQ(moduleFileName(), "/games/title/test_platform_os");
    setenv("TESSERA_PROGRAM_DIR", "/games/title/", 1);
    EXPECT_EQ(moduleFileName(), "/games/title/test_platform_os");
    unsetenv("TESSERA_PROGRAM_DIR");

    overrideModuleFileName("C:\\Games\\Title\\game.exe");
    EXPECT_EQ(moduleFileName(), "C:\\Games\\Title\\game.exe");
    overrideModuleFileName(std::nullopt);
    EXPECT_EQ(moduleFileName(), own);
}

TEST(CommandLine, QuotesArgumentsTheWindowsWay) {
    struct Case {
        std::vector<const char*> argv;
        std::u16string line;
    };
    const Case cases[] = {
        {{"/opt/tessera/tessera"}, u"/opt/tessera/tessera"},
        {{"tessera", "-a", "b c"}, u"tessera -a \"b c\""},
        {{"tessera", ""}, u"tessera \"\""},
        {{"tessera", "say \"hi\""}, u"tessera \"say \\\"hi\\\"\""},
        {{"tessera", "dir\\ with\\"}, u"tessera \"dir\\ with\\\\\""},  // doubled before the quote
        {{"tessera", "a\\b"}, u"tessera a\\b"},                        // unquoted: kept as is
        {{"tessera", "\xE6\x97\xA5\xE6\x9C\xAC"}, u"tessera \u65E5\u672C"},
    };
    for (const Case& c : cases) {
        saveArgs(static_cast<int>(c.argv.size()), c.argv.data());
        EXPECT_EQ(commandLine(), c.line);
    }
}

TEST(DebugOutput, QuietUnlessSwitchedOnThenUtf8OnStderr) {
    unsetenv("TESSERA_DEBUG_OUTPUT");
    testing::internal::CaptureStderr();
    outputDebugString("hidden\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    setenv("TESSERA_DEBUG_OUTPUT", "1", 1);
    testing::internal::CaptureStderr();
    outputDebugString("\x93\xFA\x96\x7B\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "\xE6\x97\xA5\xE6\x9C\xAC\r\n");
    unsetenv("TESSERA_DEBUG_OUTPUT");
}

}  // namespace
}  // namespace platform::os

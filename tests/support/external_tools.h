#pragma once
// Running external tools (sox, lame, Xvfb) and the programs under test from tests: presence
// checks that fail under CI, and exit statuses.
#include <string>

namespace tessera::test {

// True when `tool` can be run; otherwise records why and, under CI, fails the current test.
// Callers skip the test when it returns false outside CI.
bool toolAvailable(const std::string& tool);

// Runs a shell command line quietly; true when it exits with 0 (the failure is reported).
bool runCommand(const std::string& commandLine);

// Runs a shell command line as it is (its output goes where it says): the exit status, or -1
// when the shell did not exit normally.
int commandExitStatus(const std::string& commandLine);

}  // namespace tessera::test

// Skips (outside CI) or fails (under CI) the current test when a tool is missing.
#define REQUIRE_TOOL(tool)                                                               \
    do {                                                                                 \
        if (!::tessera::test::toolAvailable(tool)) GTEST_SKIP() << (tool) << " missing"; \
    } while (0)

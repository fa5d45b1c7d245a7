#include "tests/support/external_tools.h"

#include <sys/wait.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/support/fixture_paths.h"

namespace tessera::test {

bool toolAvailable(const std::string& tool) {
    const std::string probe = "command -v " + tool + " > /dev/null 2>&1";
    if (std::system(probe.c_str()) == 0) return true;
    if (runningInCi()) ADD_FAILURE() << tool << " is missing (install it with scripts/deps)";
    return false;
}

bool runCommand(const std::string& commandLine) {
    const std::string quiet = commandLine + " > /dev/null 2>&1";
    const int status = std::system(quiet.c_str());
    if (status != 0) ADD_FAILURE() << "command failed (" << status << "): " << commandLine;
    return status == 0;
}

int commandExitStatus(const std::string& commandLine) {
    const int status = std::system(commandLine.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tessera::test

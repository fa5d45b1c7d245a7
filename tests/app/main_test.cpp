#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

using tessera::test::readFileBytes;
using tessera::test::TempDir;

struct ProgramRun {
    int exitCode;
    std::string errors;
};

// Runs a program (its path built in by CMake) with an environment prefix, capturing its
// standard error.
ProgramRun RunProgram(const std::string& environment, const std::string& program) {
    TempDir dir;
    const std::string errors = dir.file("stderr.txt");
    const int status = std::system((environment + " '" + program + "' 2>'" + errors + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status));
    return {WEXITSTATUS(status), readFileBytes(errors)};
}

TEST(Main, TesseraWithoutGameDataSaysWhereItLookedAndEndsCleanly) {
    const ProgramRun run = RunProgram("TESSERA_PROGRAM_DIR=/games/title", TESSERA_APP_PATH);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "tessera: no game data in /games/title/\n");
}

TEST(Main, ExitCodeIsTheApplicationEntrysResult) {
    const ProgramRun run = RunProgram("", TESSERA_EXIT_PROBE_PATH);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.errors, "");
}

TEST(Main, OverlongProgramDirectoryIsReportedNotCut) {
    const std::string deep = "/" + std::string(300, 'd');
    const ProgramRun run = RunProgram("TESSERA_PROGRAM_DIR=" + deep, TESSERA_APP_PATH);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("longer than 263 bytes"), std::string::npos);
}

}  // namespace

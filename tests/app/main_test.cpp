// The tessera executable, run as a player would start it: on the packaged fixture game, on a
// folder without game data, and with the exit probe's entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/engine/startup/settings_fixture.h"
#include "tests/support/external_tools.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/apfc_writer.h"

namespace {

using tessera::test::commandExitStatus;
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
    const int exitCode = commandExitStatus(environment + " '" + program + "' 2>'" + errors + "'");
    EXPECT_NE(exitCode, -1) << "the program did not exit normally";
    return {exitCode, readFileBytes(errors)};
}

// A headless start in a home of its own: application data, settings and the single-instance
// names stay inside the temporary folder.
class GameRun : public testing::Test {
protected:
    std::string environment(const std::string& programDir) const {
        std::filesystem::create_directories(home_.path() + "/run");
        std::filesystem::permissions(home_.path() + "/run", std::filesystem::perms::owner_all);
        return "TESSERA_HEADLESS=1 XDG_DATA_HOME='" + home_.path() + "/data' XDG_CONFIG_HOME='" +
               home_.path() + "/config' XDG_RUNTIME_DIR='" + home_.path() +
               "/run' TESSERA_PROGRAM_DIR='" + programDir + "'";
    }

    TempDir home_;
};

TEST_F(GameRun, FixtureGameRunsItsFramesAndExitsNormally) {
    const std::string dataDir = home_.path() + "/data/tessera-fixture/";
    tessera::test::writeWindowSettings(dataDir + "tessera.ini", 640, 480);
    const std::string captures = home_.path() + "/captures";
    std::filesystem::create_directories(captures);

    const ProgramRun run = RunProgram(environment(TESSERA_FIXTURE_GAME_DIR) +
                                          " TESSERA_RUN_FRAMES=120 TESSERA_CAPTURE_DIR='" +
                                          captures + "' TESSERA_CAPTURE_SPAN=59",
                                      TESSERA_APP_PATH);
    EXPECT_EQ(run.exitCode, 0);

    const std::string log = readFileBytes(dataDir + "tessera.log");
    for (const char* line : {"[Info] Information: [appInit] This is logger of netsync\r\n",
                             "[Mes] Message: [Config::init] game version is \"1\"\r\n",
                             "[Mes] Message: [_loadResource] load resource \"res.dat\"\r\n",
                             "[Mes] Message: [System::~System] save parameter file\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(log.find("[Err]"), std::string::npos) << log;
    EXPECT_EQ(log.find("[Warn]"), std::string::npos) << log;

    // Frames 60 and 120 of the bootstrap engine's run.
    for (const char* name : {"run0-0", "run0-1"}) {
        SCOPED_TRACE(name);
        const auto frame = tessera::test::readFrame(captures + "/" + name + ".bmp");
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->width, 640u);
        EXPECT_TRUE(tessera::test::matchesGolden(tessera::test::boxScale4(*frame), "app",
                                                 std::string("fixture_") + name));
    }
    EXPECT_FALSE(std::filesystem::exists(captures + "/run0-2.bmp"));
}

// Only the runtime's own pack, no game: the version file is the first game file looked for.
TEST_F(GameRun, FolderWithoutGameDataEndsWithTheFatalReportOfTheMissingVersion) {
    TempDir program;
    program.write("system.dat",
                  tools::writers::buildApfc({{u"sys/font.ttf", readFileBytes(TESSERA_GAME_FONT)}}));
    const ProgramRun run = RunProgram(environment(program.path()), TESSERA_APP_PATH);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("Error: [File::create] \"ver\"を開けません。"), std::string::npos)
        << run.errors;
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

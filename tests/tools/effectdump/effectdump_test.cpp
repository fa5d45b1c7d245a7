// effectdump from the command line: a definition with its texture and a data file print what
// was loaded; a refused file exits with status 1 and its reason on standard error.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/external_tools.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/effect_writers.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

TEST(Effectdump, PrintsTheLoadedDefinitionAndData) {
    const std::string effectdump = requiredEnv("EFFECTDUMP");
    TempDir dir;
    EffectDefinition definition;
    definition.imageOptions = {0};
    EffectImageDef def;
    def.blend = 7;
    definition.imageDefs = {def};
    dir.write("def.dat", effectDefinitionFile(definition));
    ASSERT_TRUE(writePng(dir.file("def0.png"), 2, 2, std::vector<uint32_t>(4, 0xFFFFFFFFu)));
    EffectData data;
    data.roots.resize(1);
    EffectEvent scale;
    scale.kind = 18;
    scale.words = {effectFloatWord(2.0f), effectFloatWord(3.0f), effectFloatWord(4.0f)};
    data.roots[0].rootPart.events = {scale};
    dir.write("data.dat", effectDataFile(data));

    ASSERT_EQ(commandExitStatus(effectdump + " " + dir.path() + " def data > " +
                                dir.file("out.txt") + " 2>/dev/null"),
              0);
    const std::string out = readFileBytes(dir.file("out.txt"));
    EXPECT_NE(out.find("definition \"def\": 1 images, 1 image definitions, 0 models"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("blend 7"), std::string::npos) << out;
    EXPECT_NE(out.find("time 0 kind 18: 1073741824(2) 1077936128(3) 1082130432(4) 0(0)"),
              std::string::npos)
        << out;
}

TEST(Effectdump, RefusedFilesAndWrongCommandLines) {
    const std::string effectdump = requiredEnv("EFFECTDUMP");
    TempDir dir;
    EffectDefinition definition;
    definition.version = 1;
    dir.write("def.dat", effectDefinitionFile(definition));
    EXPECT_EQ(commandExitStatus(effectdump + " " + dir.path() + " def 2> " + dir.file("err.txt") +
                                " >/dev/null"),
              1);
    EXPECT_NE(readFileBytes(dir.file("err.txt")).find("のバージョンが異常"), std::string::npos);
    EXPECT_EQ(commandExitStatus(effectdump + " only-a-directory 2>/dev/null"), 2);
}

}  // namespace
}  // namespace tessera::test

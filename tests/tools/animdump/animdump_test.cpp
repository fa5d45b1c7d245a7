// animdump from the command line: an animation's nodes and spheres per frame; a missing
// animation, an unreadable file or a wrong command line give their exit status.
#include <gtest/gtest.h>

#include <string>

#include "tests/model3d/support/anim_models.h"
#include "tests/support/external_tools.h"
#include "tests/support/fixture_paths.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

TEST(Animdump, PrintsNodesAndSpheresPerFrame) {
    const std::string animdump = requiredEnv("ANIMDUMP");
    TempDir dir;
    ModelFile model = limbModel();
    model.anims[0].motions[2].keys = {ModelKey{0}, ModelKey{10, 0, {2, 0, 0}}};
    model.collGroups = {ModelCollGroup{"arm", "", 3, 1, {ModelSphere{1, 2, {0, 1, 0}, 0.5f}}}};
    dir.write("limb.dgo", writeModelFile(model));
    ASSERT_EQ(commandExitStatus(animdump + " " + dir.file("limb.dgo") + " anim 6 > " +
                                dir.file("out.txt")),
              0);
    const std::string out = readFileBytes(dir.file("out.txt"));
    // Frame 5: the lower bone halfway, its sphere with it, the type-3 bounding sphere around it.
    const size_t frame5 = out.find("frame 5\n");
    ASSERT_NE(frame5, std::string::npos) << out;
    EXPECT_NE(out.find("  part \"body\" (0.0000, 0.0000, 0.0000)\n", frame5), std::string::npos);
    EXPECT_NE(out.find("  bone \"lower\" (1.0000, 1.0000, 0.0000)\n", frame5), std::string::npos)
        << out.substr(frame5);
    EXPECT_NE(out.find("  sphere \"arm\" 0 (1.0000, 1.0000, 0.0000) r 0.5000\n", frame5),
              std::string::npos);
    EXPECT_NE(out.find("  bounds 3 (1.0000, 1.0000, 0.0000) r 0.5000\n", frame5),
              std::string::npos);
    EXPECT_EQ(out.find("frame 6\n"), std::string::npos);
}

TEST(Animdump, RefusalsAndWrongCommandLines) {
    const std::string animdump = requiredEnv("ANIMDUMP");
    TempDir dir;
    dir.write("limb.dgo", writeModelFile(limbModel()));
    dir.write("bad.dgo", "L3DO");
    const std::string quiet = " >/dev/null 2>&1";
    EXPECT_EQ(commandExitStatus(animdump + " " + dir.file("limb.dgo") + " walk" + quiet), 1);
    EXPECT_EQ(commandExitStatus(animdump + " " + dir.file("bad.dgo") + " anim" + quiet), 1);
    EXPECT_EQ(commandExitStatus(animdump + " " + dir.file("missing.dgo") + " anim" + quiet), 1);
    EXPECT_EQ(commandExitStatus(animdump + " " + dir.file("limb.dgo") + quiet), 2);
    EXPECT_EQ(commandExitStatus(animdump + " " + dir.file("limb.dgo") + " anim 1x" + quiet), 2);
}

}  // namespace
}  // namespace tessera::test

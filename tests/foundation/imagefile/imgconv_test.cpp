#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/imagefile/image_file.h"
#include "tests/foundation/imagefile/image_test_support.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/support/temp_dir.h"

namespace mirel {
namespace {

using tessera::test::readFileBytes;
using tessera::test::TempDir;

struct ToolRun {
    int exitCode;
    std::string errors;
};

// Runs imgconv with the program directory set to `programDir`.
ToolRun Imgconv(const TempDir& dir, const std::string& programDir, const std::string& in,
                const std::string& out) {
    const std::string errors = dir.file("stderr.txt");
    const std::string command = "TESSERA_PROGRAM_DIR='" + programDir + "' '" IMGCONV_PATH "' '" +
                                in + "' '" + out + "' 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status));
    return {WEXITSTATUS(status), readFileBytes(errors)};
}

TEST(Imgconv, ConvertsAPngToABmp) {
    TempDir dir;
    tessera::test::PngSpec png;
    png.width = 2;
    png.samples = {1, 2, 3, 4, 5, 6};
    const std::string in = dir.write("in.png", tessera::test::pngFile(png));
    const ToolRun run = Imgconv(dir, dir.path(), in, dir.file("out.bmp"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoadBitmap, readFileBytes(dir.file("out.bmp")), image));
    EXPECT_EQ(PixelAt(image, 1, 0), Bytes({4, 5, 6, 255}));
}

TEST(Imgconv, ReadsThroughThePluginsBesideTheProgram) {
    TempDir dir;
    std::filesystem::copy_file(TOY_PLUGIN, dir.file("toy.spi"));
    const std::string in = dir.write("in.toy", std::string("TOY1\x01\x01\x05", 7));
    const ToolRun run = Imgconv(dir, dir.path(), in, dir.file("out.bmp"));
    EXPECT_EQ(run.exitCode, 0);
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoadBitmap, readFileBytes(dir.file("out.bmp")), image));
    EXPECT_EQ(PixelAt(image, 0, 0), Bytes({10, 250, 5, 255}));
}

TEST(Imgconv, AFileThatIsNoImageFailsWithTheLoadError) {
    TempDir dir;
    const std::string in = dir.write("in.txt", "plain text");
    const ToolRun run = Imgconv(dir, dir.path(), in, dir.file("out.bmp"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "[DimgLoad] \"" + in + "\": Load Error\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.bmp")));
}

}  // namespace
}  // namespace mirel

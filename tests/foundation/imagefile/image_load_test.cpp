#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/imagefile/image_file.h"
#include "platform/os/module_path.h"
#include "tests/foundation/imagefile/image_test_support.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/support/temp_dir.h"

namespace mirel {
namespace {

using tessera::test::DebugCapture;

TEST(ImageLoad, EachFormatFindsItsReader) {
    tessera::test::BmpSpec bmp;
    bmp.rows = Bytes({1, 2, 3, 0});
    tessera::test::PngSpec png;
    png.samples = {4, 5, 6};
    const struct {
        const char* what;
        std::string bytes;
        DImageKind kind;
    } cases[] = {
        {"BMP", tessera::test::bmpFile(bmp), DImageKind::RGBA32},
        {"PNG", tessera::test::pngFile(png), DImageKind::RGB24},
        {"JPEG", tessera::test::jpegFile(tessera::test::patternPixels(8, 8, 3)), DImageKind::RGB24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DebugCapture log;
        DImage image;
        ASSERT_TRUE(LoadBytes(DimgLoad, c.bytes, image));
        EXPECT_EQ(image.Kind(), c.kind);
        EXPECT_EQ(log.text(), "");
    }
}

TEST(ImageLoad, BytesThatAreNoImageGiveTheLoadError) {
    DebugCapture log;
    DImage image;
    EXPECT_FALSE(LoadBytes(DimgLoad, "this is no picture at all", image, "data/x.bin"));
    EXPECT_EQ(log.text(), "[DimgLoad] \"data/x.bin\": Load Error\n");
    EXPECT_EQ(image.Pixels(), nullptr);
}

// The program directory holds the plug-ins: the toy reader, one of another interface version,
// one without GetPicture, one without GetPluginInfo, a file that is no library, a directory and
// a library with another extension.
class Plugins : public testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        fs::copy_file(TOY_PLUGIN, dir_.file("toy.spi"));
        fs::copy_file(TOY_PLUGIN_OLD_VERSION, dir_.file("Old.SPI"));
        fs::copy_file(TOY_PLUGIN_INCOMPLETE, dir_.file("incomplete.Spi"));
        fs::copy_file(TOY_PLUGIN_NO_INFO, dir_.file("noinfo.spi"));
        fs::copy_file(TOY_PLUGIN, dir_.file("toy.so"));
        dir_.write("junk.spi", "not a library");
        fs::create_directory(dir_.file("folder.spi"));
        platform::os::overrideModuleFileName(dir_.file("tessera"));
        _DSusieInit();
    }
    void TearDown() override {
        DSusieTerm();
        platform::os::overrideModuleFileName(std::nullopt);
    }

    std::string Toy(int width, int height) {
        std::string out = "TOY1";
        out += static_cast<char>(width);
        out += static_cast<char>(height);
        for (int i = 0; i < width * height; ++i) out += static_cast<char>(i * 3);
        return out;
    }
    // BGR24 of toy index i.
    static std::string Colour(int i) { return Bytes({i, 255 - i, 2 * i}); }

    tessera::test::TempDir dir_;
    DebugCapture log_;
};

TEST_F(Plugins, ScanLoadsOnlyCompleteReadersInNameOrder) {
    const std::string d = dir_.path() + "/";
    EXPECT_EQ(log_.text(), "[_DSusieInit] \"" + d +
                               "Old.SPI\": version error.\n"
                               "[_DSusieInit] \"" +
                               d +
                               "incomplete.Spi\": can't find functions.\n"
                               "[_DSusieInit] can't get \"GetPluginInfo\" in \"" +
                               d +
                               "noinfo.spi\"\n"
                               "[_DSusieInit] \"" +
                               d + "toy.spi\": loaded.\n");
}

TEST_F(Plugins, APluginDecodesItsFormatToBgr24) {
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoad, Toy(3, 2), image, "pic.toy"));
    EXPECT_EQ(image.Kind(), DImageKind::BGR24);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    EXPECT_EQ(image.Pitch(), 12);
    EXPECT_EQ(PixelAt(image, 0, 0), Colour(0));
    EXPECT_EQ(PixelAt(image, 2, 0), Colour(6));
    EXPECT_EQ(PixelAt(image, 0, 1), Colour(9));
    EXPECT_EQ(PixelAt(image, 2, 1), Colour(15));
}

TEST_F(Plugins, AMacBinaryHeaderIsSkipped) {
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoadSusie, std::string(128, 'm') + Toy(2, 2), image));
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(PixelAt(image, 1, 1), Colour(9));
}

TEST_F(Plugins, NothingIsReadAfterTheyAreFreed) {
    DSusieTerm();
    DImage image;
    EXPECT_FALSE(LoadBytes(DimgLoadSusie, Toy(2, 2), image));
}

}  // namespace
}  // namespace mirel

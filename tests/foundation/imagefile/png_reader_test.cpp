#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <string>

#include "foundation/imagefile/image_file.h"
#include "foundation/pack/DMFile.h"
#include "tests/foundation/imagefile/image_test_support.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/private_png.h"

namespace mirel {
namespace {

using tessera::test::pngFile;
using tessera::test::PngSpec;

PngSpec Spec(int width, int height, int colorType, int bitDepth, std::vector<uint32_t> samples) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.samples = std::move(samples);
    return spec;
}

TEST(PngReader, ColourTypesBecomeRgb24OrRgba32WithInvertedAlpha) {
    PngSpec palette = Spec(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2});
    palette.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    palette.trns = {0, 128};  // entry 2 has no tRNS value: opaque
    PngSpec grey1 = Spec(10, 1, PNG_COLOR_TYPE_GRAY, 1, {1, 0, 1, 1, 0, 0, 0, 0, 0, 1});
    const struct {
        const char* what;
        PngSpec spec;
        DImageKind kind;
        std::vector<std::string> pixels;  // row 0
    } cases[] = {
        {"RGB",
         Spec(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6}),
         DImageKind::RGB24,
         {Bytes({1, 2, 3}), Bytes({4, 5, 6})}},
        {"RGBA",
         Spec(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {9, 8, 7, 200}),
         DImageKind::RGBA32,
         {Bytes({9, 8, 7, 55})}},
        {"palette with tRNS",
         palette,
         DImageKind::RGBA32,
         {Bytes({10, 20, 30, 255}), Bytes({40, 50, 60, 127}), Bytes({70, 80, 90, 0})}},
        {"1-bit grey",
         grey1,
         DImageKind::RGB24,
         {Bytes({255, 255, 255}), Bytes({0, 0, 0}), Bytes({255, 255, 255})}},
        {"16-bit grey and alpha",
         Spec(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0x1234, 0xC8FF}),
         DImageKind::RGBA32,
         {Bytes({0x12, 0x12, 0x12, 255 - 0xC8})}},
        {"16-bit RGB",
         Spec(1, 1, PNG_COLOR_TYPE_RGB, 16, {0xFF00, 0x0100, 0x8080}),
         DImageKind::RGB24,
         {Bytes({0xFF, 0x01, 0x80})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DImage image;
        ASSERT_TRUE(LoadBytes(DimgLoadPng, pngFile(c.spec), image));
        EXPECT_EQ(image.Kind(), c.kind);
        EXPECT_EQ(image.Width(), c.spec.width);
        for (size_t x = 0; x < c.pixels.size(); ++x)
            EXPECT_EQ(PixelAt(image, static_cast<int>(x), 0), c.pixels[x]) << x;
    }
}

std::string AllPixels(const DImage& image) {
    std::string out;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) out += PixelAt(image, x, y);
    return out;
}

PngSpec Pattern(bool interlaced) {
    const tessera::test::Pixels pixels = tessera::test::patternPixels(13, 11, 4);
    PngSpec spec =
        Spec(13, 11, PNG_COLOR_TYPE_RGB_ALPHA, 8, {pixels.bytes.begin(), pixels.bytes.end()});
    spec.interlaced = interlaced;
    return spec;
}

TEST(PngReader, AnAdam7ImageEqualsItsPlainTwin) {
    DImage plain, interlaced;
    ASSERT_TRUE(LoadBytes(DimgLoadPng, pngFile(Pattern(false)), plain));
    ASSERT_TRUE(LoadBytes(DimgLoadPng, pngFile(Pattern(true)), interlaced));
    EXPECT_EQ(AllPixels(interlaced), AllPixels(plain));
    EXPECT_EQ(PixelAt(plain, 12, 10),
              Bytes({static_cast<uint8_t>(12 * 37 + 10 * 71 + 120 % 13),
                     static_cast<uint8_t>(12 * 37 + 10 * 71 + 101 + 120 % 13),
                     static_cast<uint8_t>(12 * 37 + 10 * 71 + 202 + 120 % 13),
                     static_cast<uint8_t>(
                         255 - static_cast<uint8_t>(12 * 37 + 10 * 71 + 303 + 120 % 13))}));
}

TEST(PngReader, PrivateHeadersPlainScrambledAndInsideAnArchiveDecodeTheSame) {
    const std::string png = pngFile(Pattern(false));
    DImage reference;
    ASSERT_TRUE(LoadBytes(DimgLoadPng, png, reference));

    for (bool scrambled : {false, true}) {
        SCOPED_TRACE(scrambled);
        const std::string file = tools::writers::privatePng(png, scrambled);
        DImage loose;
        ASSERT_TRUE(LoadBytes(DimgLoadPng, file, loose));
        EXPECT_EQ(AllPixels(loose), AllPixels(reference));

        // At an archive offset that is no multiple of 256: the key is the member's position.
        DFile archiveFile;
        tessera::test::attachMemory(
            archiveFile,
            tools::writers::writeDmf({{"pad", std::string(101, 'p')}, {"tex.png", file}}));
        DMFile archive;
        ASSERT_TRUE(archive.Open(archiveFile));
        DFile member;
        ASSERT_TRUE(archive.OpenData(member, "tex.png"));
        DImage packed;
        ASSERT_TRUE(DimgLoadPng(member, packed));
        EXPECT_EQ(AllPixels(packed), AllPixels(reference));
    }
}

TEST(PngReader, CorruptFilesFailWithThePixelsReleasedAndTheErrorLogged) {
    const std::string png = pngFile(Pattern(false));
    std::string badCrc = png;
    badCrc[png.size() - 20] ^= 0x40;  // inside IDAT's data or CRC
    tessera::test::DebugCapture log;
    DImage image;
    EXPECT_FALSE(LoadBytes(DimgLoadPng, badCrc, image));
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(log.text().rfind("[Error] ", 0), 0u) << log.text();

    for (size_t length :
         {size_t{0}, size_t{4}, size_t{8}, size_t{40}, png.size() / 2, png.size() - 13}) {
        SCOPED_TRACE(length);
        DImage cut;
        EXPECT_FALSE(LoadBytes(DimgLoadPng, png.substr(0, length), cut));
        EXPECT_EQ(cut.Pixels(), nullptr);
    }
    EXPECT_NE(log.text().find("[Error] can't read data\n"), std::string::npos) << log.text();
}

// A chunk after IHDR, with its length and CRC.
std::string WithChunk(const std::string& png, const std::string& type, const std::string& data) {
    std::string chunk;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk += static_cast<char>((data.size() >> shift) & 0xFF);
    const std::string body = type + data;
    chunk += body;
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((crc >> shift) & 0xFF);
    return png.substr(0, 33) + chunk + png.substr(33);  // signature 8 + IHDR 25
}

TEST(PngReader, LibpngWarningsAreLoggedAndTheImageStillLoads) {
    const std::string png = WithChunk(pngFile(Pattern(false)), "tIME", "bad");  // tIME has 7 bytes
    tessera::test::DebugCapture log;
    DImage image;
    ASSERT_TRUE(LoadBytes(DimgLoadPng, png, image));
    EXPECT_EQ(image.Width(), 13);
    EXPECT_EQ(log.text().rfind("[Error] ", 0), 0u) << log.text();
}

TEST(PngReader, OtherHeadersAreNotPng) {
    DImage image;
    EXPECT_FALSE(
        LoadBytes(DimgLoadPng, "\x44\x43\x49\x88\x99\xAA\xBB\xCD" + std::string(64, '\0'), image));
    EXPECT_FALSE(LoadBytes(DimgLoadPng, "BM" + std::string(64, '\0'), image));
    EXPECT_EQ(image.Pixels(), nullptr);
}

}  // namespace
}  // namespace mirel

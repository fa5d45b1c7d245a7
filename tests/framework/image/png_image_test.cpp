#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/foundation/support/image_fixtures.h"
#include "tests/framework/image/image_fixture.h"
#include "tests/framework/support/report_capture.h"
#include "tools/writers/image_info_writers.h"

namespace tessera::test {
namespace {

using tools::writers::ApibSpec;
using tools::writers::buildApib;

using PngImages = FrameworkImages;

uint32_t word32(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t word16(const std::vector<uint8_t>& bytes, size_t at) {
    uint16_t value;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

TEST_F(PngImages, HeaderFlagsFollowTheSizeAndTheInfoFile) {
    struct Case {
        int width;
        int height;
        uint32_t infoFlags;  // ~0u: no info file
        uint32_t flags;
    };
    const Case cases[] = {
        {300, 200, ~0u, 0x1},        {256, 256, ~0u, 0xF}, {256, 128, ~0u, 0x7},
        {100, 100, ~0u, 0x9},        {1, 3, ~0u, 0x3},     {300, 200, 0xFFFFFFF0, 0x10001},
        {300, 200, 0xFFFEFFFF, 0x1},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        PngSpec spec;
        spec.width = c.width;
        spec.height = c.height;
        spec.colorType = 0;
        spec.samples.assign(size_t(c.width) * c.height, 7);
        const std::string name = "flags" + std::to_string(index++);
        if (c.infoFlags != ~0u) {
            ApibSpec info;
            info.flags = c.infoFlags;
            writeBesideExecutable(name + ".pib", buildApib(info));
        }
        PEL_IMAGE_INFO info{};
        ASSERT_EQ(pelImageGetInfo(&info, openWritten(name + ".png", pngFile(spec))), PEL_OK);
        EXPECT_EQ(info.width, uint32_t(c.width));
        EXPECT_EQ(info.height, uint32_t(c.height));
        EXPECT_EQ(info.flags, c.flags);
        EXPECT_EQ(info.decoder, PEL_IMAGE_DECODER_PNG);
        EXPECT_EQ(info.storedFormats, nullptr);
    }
}

TEST_F(PngImages, TheInfoFileSettlesGammaAndKeepsItsValues) {
    struct Case {
        uint32_t mode;
        float gamma;
        uint32_t settledMode;
        float settledGamma;
    };
    const Case cases[] = {
        {0, 1.7f, 3, 2.2f},     {1, 1.0f, 3, 2.2f},     {2, 0.5f, 3, 1.0f}, {3, 1.0f, 3, 1.0f},
        {3, 2.20005f, 3, 2.2f}, {3, 0.00005f, 3, 2.2f}, {3, 1.8f, 3, 1.8f}, {7, 1.5f, 7, 1.5f},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        const std::string name = "gamma" + std::to_string(index++);
        ApibSpec spec;
        spec.gammaMode = c.mode;
        spec.gamma = c.gamma;
        spec.firstValue = 12;
        spec.secondValue = -40;
        spec.alphaMode = 1;
        writeBesideExecutable(name + ".pib", buildApib(spec));
        PEL_IMAGE_INFO info{};
        ASSERT_EQ(pelImageGetInfo(&info, openWritten(name + ".png", rgbaPng(1, 1, {1, 2, 3, 4}))),
                  PEL_OK);
        EXPECT_EQ(info.gammaMode, c.settledMode);
        EXPECT_FLOAT_EQ(info.gamma, c.settledGamma);
        EXPECT_EQ(info.firstValue, 12);
        EXPECT_EQ(info.secondValue, -40);
        EXPECT_EQ(info.alphaMode, 1u);
    }

    PEL_IMAGE_INFO plain{};
    ASSERT_EQ(pelImageGetInfo(&plain, openWritten("plain.png", rgbaPng(1, 1, {1, 2, 3, 4}))),
              PEL_OK);
    EXPECT_EQ(plain.gammaMode, 3u);
    EXPECT_FLOAT_EQ(plain.gamma, 2.2f);
    EXPECT_EQ(plain.firstValue, -1);
    EXPECT_EQ(plain.secondValue, -1);
    EXPECT_EQ(plain.alphaMode, 3u);
}

TEST_F(PngImages, ABrokenInfoFileFailsTheHeader) {
    ApibSpec wrongVersion;
    wrongVersion.version = 1;
    const std::string cases[] = {
        buildApib(wrongVersion),
        "APIC" + buildApib({}).substr(4),
        buildApib({}).substr(0, 31),
    };
    int index = 0;
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(index);
        const std::string name = "broken" + std::to_string(index++);
        writeBesideExecutable(name + ".pib", bytes);
        PEL_IMAGE_INFO info{};
        EXPECT_EQ(pelImageGetInfo(&info, openWritten(name + ".png", rgbaPng(1, 1, {1, 2, 3, 4}))),
                  PEL_E_NOTFOUND);
        EXPECT_EQ(info.width, 0u);
    }
}

TEST_F(PngImages, AnInfoFileThatCannotBeOpenedIsReported) {
    // An info file held open for writing cannot be opened for reading.
    writeBesideExecutable("held.pib", buildApib({}));
    PEL_FILE* writer = pelFileOpen(PEL_FILE_MODE_WRITE, u"held.pib", 0);
    ASSERT_NE(writer, nullptr);
    PEL_FILE* image = openWritten("held.png", rgbaPng(1, 1, {1, 2, 3, 4}));
    ReportCapture capture;
    PEL_IMAGE_INFO info{};
    EXPECT_EQ(pelImageGetInfo(&info, image), PEL_E_NOTFOUND);
    pelFileClose(writer);
    std::string path = executableFolder() + "/held.pib";
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    ASSERT_EQ(capture.entries().size(), 1u);
    EXPECT_EQ(capture.entries()[0].level, 3);
    EXPECT_EQ(capture.entries()[0].text,
              wide("Information: [pelImageLoadPIB] can't open an info file \"" + path + "\""));
}

TEST_F(PngImages, GammaCurvesTheColourChannelsOnly) {
    ApibSpec spec;
    spec.gammaMode = 3;
    spec.gamma = 1.0f;
    writeBesideExecutable("curved.pib", buildApib(spec));
    const std::vector<uint8_t> pixels = {128, 0, 255, 128};
    const Loaded curved = load("curved.png", rgbaPng(1, 1, pixels), PEL_IMAGE_KIND_RGBA);
    ASSERT_EQ(curved.loadStatus, PEL_OK);
    EXPECT_EQ(curved.bytes, (std::vector<uint8_t>{186, 0, 255, 128}));

    const Loaded straight = load("straight.png", rgbaPng(1, 1, pixels), PEL_IMAGE_KIND_RGBA);
    ASSERT_EQ(straight.loadStatus, PEL_OK);
    EXPECT_EQ(straight.bytes, pixels);
}

TEST_F(PngImages, PixelsArePackedIntoEachKind) {
    struct Case {
        std::vector<uint8_t> rgba;
        uint32_t kind;
        uint32_t expected;
    };
    const Case cases[] = {
        {{255, 0, 0, 255}, PEL_IMAGE_KIND_RGB565, 0xF800},
        {{0, 0, 255, 255}, PEL_IMAGE_KIND_ARGB4444, 0xF00F},
        {{0x12, 0x34, 0x56, 0x78}, PEL_IMAGE_KIND_ARGB8888, 0x78123456},
        {{0x12, 0x34, 0x56, 0x78}, PEL_IMAGE_KIND_ARGB4444, 0x7135},
        {{0x12, 0x34, 0x56, 0x78},
         PEL_IMAGE_KIND_ARGB1555,
         (0x12 >> 3) << 10 | (0x34 >> 3) << 5 | 0x56 >> 3},
        {{0x12, 0x34, 0x56, 0x80},
         PEL_IMAGE_KIND_ARGB1555,
         0x8000 | (0x12 >> 3) << 10 | (0x34 >> 3) << 5 | 0x56 >> 3},
        {{0x12, 0x34, 0x56, 0x78},
         PEL_IMAGE_KIND_RGB565,
         (0x12 >> 3) << 11 | (0x34 >> 2) << 5 | 0x56 >> 3},
        {{0, 255, 0, 0}, PEL_IMAGE_KIND_RGB565, 0x07E0},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        const Loaded loaded = load("pack" + std::to_string(index++) + ".png",
                                   rgbaPng(2, 1, solid(2, c.rgba)), c.kind, 4);
        ASSERT_EQ(loaded.loadStatus, PEL_OK);
        if (c.kind == PEL_IMAGE_KIND_ARGB8888) {
            EXPECT_EQ(word32(loaded.bytes, 4), c.expected);
        } else {
            EXPECT_EQ(word16(loaded.bytes, 2), c.expected);
            EXPECT_EQ(loaded.bytes[4], 0xEE) << "the pitch's padding is not touched";
        }
    }
}

TEST_F(PngImages, AlphaModesApplyToThePackedKinds) {
    struct Case {
        uint32_t mode;
        uint32_t kind;
        std::vector<uint8_t> alphas;  // of pixels with alpha 0x90 and 0x70
    };
    const Case cases[] = {
        {0, PEL_IMAGE_KIND_ARGB8888, {0xFF, 0xFF}},
        {1, PEL_IMAGE_KIND_ARGB8888, {0xFF, 0x00}},
        {3, PEL_IMAGE_KIND_ARGB8888, {0x90, 0x70}},
        {0, PEL_IMAGE_KIND_RGBA, {0x90, 0x70}},  // kind 0 keeps alpha whatever the mode
        {1, PEL_IMAGE_KIND_RGBA, {0x90, 0x70}},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        const std::string name = "alpha" + std::to_string(index++);
        ApibSpec spec;
        spec.alphaMode = c.mode;
        writeBesideExecutable(name + ".pib", buildApib(spec));
        const Loaded loaded =
            load(name + ".png", rgbaPng(2, 1, {10, 20, 30, 0x90, 40, 50, 60, 0x70}), c.kind);
        ASSERT_EQ(loaded.loadStatus, PEL_OK);
        EXPECT_EQ(loaded.bytes[3], c.alphas[0]);
        EXPECT_EQ(loaded.bytes[7], c.alphas[1]);
    }
}

TEST_F(PngImages, EveryColourTypeArrivesAsRgba) {
    PngSpec palette;
    palette.width = 3;
    palette.colorType = 3;
    palette.samples = {0, 1, 2};
    palette.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    palette.trns = {0, 128};
    PngSpec grey1;
    grey1.width = 3;
    grey1.colorType = 0;
    grey1.bitDepth = 1;
    grey1.samples = {1, 0, 1};
    PngSpec deep;
    deep.width = 2;
    deep.colorType = 2;
    deep.bitDepth = 16;
    deep.samples = {0x1234, 0xABCD, 0xFFFF, 0x0000, 0x00FF, 0x8000};
    PngSpec greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.colorType = 4;
    greyAlpha.samples = {9, 200, 77, 0};
    PngSpec interlaced;
    interlaced.width = 3;
    interlaced.height = 3;
    interlaced.interlaced = true;
    for (uint32_t i = 0; i < 27; ++i) interlaced.samples.push_back(i * 9);
    std::vector<uint8_t> interlacedRgba;
    for (uint32_t i = 0; i < 27; ++i) {
        interlacedRgba.push_back(static_cast<uint8_t>(i * 9));
        if (i % 3 == 2) interlacedRgba.push_back(255);
    }
    struct Case {
        const char* name;
        PngSpec spec;
        std::vector<uint8_t> rgba;
    };
    const Case cases[] = {
        {"rgba", {1, 1, 6, 8, false, {1, 2, 3, 4}, {}, {}}, {1, 2, 3, 4}},
        {"palette", palette, {255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255}},
        {"grey1", grey1, {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"deep", deep, {0x12, 0xAB, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0xFF}},
        {"greyalpha", greyAlpha, {9, 9, 9, 200, 77, 77, 77, 0}},
        {"interlaced", interlaced, interlacedRgba},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = load(std::string(c.name) + ".png", pngFile(c.spec), 0);
        ASSERT_EQ(loaded.loadStatus, PEL_OK);
        EXPECT_EQ(loaded.bytes, c.rgba);
    }
}

TEST_F(PngImages, LoadsFailWhenTheDestinationOrKindDoesNotFit) {
    const std::string png = rgbaPng(3, 2, solid(6, {1, 2, 3, 4}));
    PEL_FILE* file = openWritten("fit.png", png);
    PEL_IMAGE_INFO info{};
    ASSERT_EQ(pelImageGetInfo(&info, file), PEL_OK);
    std::vector<uint8_t> destination(64);
    struct Case {
        uint32_t pitch;
        uint32_t kind;
        uint32_t rows;
        PEL_STATUS status;
    };
    const Case cases[] = {
        {12, PEL_IMAGE_KIND_RGBA, 2, PEL_OK},
        {11, PEL_IMAGE_KIND_RGBA, 2, PEL_E_NOTFOUND},
        {12, PEL_IMAGE_KIND_RGBA, 1, PEL_E_NOTFOUND},
        {6, PEL_IMAGE_KIND_RGB565, 2, PEL_OK},
        {5, PEL_IMAGE_KIND_ARGB4444, 2, PEL_E_NOTFOUND},
        {64, PEL_IMAGE_KIND_DXT1, 2, PEL_E_NOTFOUND},
        {64, 10, 2, PEL_E_NOTFOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pitch * 100 + c.kind);
        EXPECT_EQ(pelImageLoad(&info, file, c.pitch, c.kind, destination.data(), c.rows), c.status);
    }
    const PEL_IMAGE_INFO empty{};
    EXPECT_EQ(pelImageLoad(&empty, file, 64, 0, destination.data(), 2), PEL_E_NOTFOUND);
}

TEST_F(PngImages, HeadersThatAreNotImagesOrTooLargeAreNotFound) {
    PngSpec wide;
    wide.width = 16385;
    wide.colorType = 0;
    wide.bitDepth = 1;
    wide.samples.assign(16385, 0);
    PngSpec widest = wide;
    widest.width = 16384;
    widest.samples.assign(16384, 0);
    const std::string png = rgbaPng(1, 1, {1, 2, 3, 4});
    const struct {
        const char* name;
        std::string bytes;
        PEL_STATUS status;
    } cases[] = {
        {"wide.png", pngFile(wide), PEL_E_NOTFOUND},
        {"widest.png", pngFile(widest), PEL_OK},
        {"cut.png", png.substr(0, 20), PEL_E_NOTFOUND},
        {"text.png", "not an image at all", PEL_E_NOTFOUND},
        {"empty.png", "", PEL_E_NOTFOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PEL_IMAGE_INFO info{};
        EXPECT_EQ(pelImageGetInfo(&info, openWritten(c.name, c.bytes)), c.status);
    }
}

}  // namespace
}  // namespace tessera::test

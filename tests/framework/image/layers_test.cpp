#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/foundation/support/image_fixtures.h"
#include "tests/framework/image/image_fixture.h"
#include "tests/framework/support/report_capture.h"
#include "tools/writers/image_info_writers.h"

namespace tessera::test {
namespace {

using LayerImages = FrameworkImages;

std::vector<uint16_t> words16(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

// Two pixels whose layers carry values in every channel: the layer's own channel is the one
// that counts, except for "_a", which takes green.
const std::vector<uint8_t> kLayerPixels = {0x11, 0x80, 0x33, 0x00, 0x22, 0x7F, 0x44, 0xFF};

TEST_F(LayerImages, AnAlphaLayerSetsOnlyTheAlphaBitOfKind3) {
    const std::vector<uint8_t> image = {0xF8, 0x00, 0x08, 0x00, 0x00, 0xF8, 0x00, 0xFF};
    writeBesideExecutable("sprite_a.png", rgbaPng(2, 1, kLayerPixels));
    const Loaded loaded = load("sprite.png", rgbaPng(2, 1, image), PEL_IMAGE_KIND_ARGB1555);
    ASSERT_EQ(loaded.loadStatus, PEL_OK);
    // Green 0x80 sets the bit, 0x7F clears it; the colour bits stay as decoded.
    EXPECT_EQ(words16(loaded.bytes), (std::vector<uint16_t>{0x8000 | 0x7C01, 0x03E0}));
}

TEST_F(LayerImages, LayersReplaceTheirChannelInEachKind) {
    struct Case {
        const char* suffix;
        uint32_t kind;
        uint32_t alphaMode;
        std::vector<uint8_t> expected;  // the destination bytes
    };
    const std::vector<uint8_t> image = {0xA0, 0xB0, 0xC0, 0xD0, 0xA0, 0xB0, 0xC0, 0xD0};
    const Case cases[] = {
        {"_r", PEL_IMAGE_KIND_RGBA, 3, {0x11, 0xB0, 0xC0, 0xD0, 0x22, 0xB0, 0xC0, 0xD0}},
        {"_g", PEL_IMAGE_KIND_RGBA, 3, {0xA0, 0x80, 0xC0, 0xD0, 0xA0, 0x7F, 0xC0, 0xD0}},
        {"_b", PEL_IMAGE_KIND_RGBA, 3, {0xA0, 0xB0, 0x33, 0xD0, 0xA0, 0xB0, 0x44, 0xD0}},
        {"_a", PEL_IMAGE_KIND_RGBA, 3, {0xA0, 0xB0, 0xC0, 0x80, 0xA0, 0xB0, 0xC0, 0x7F}},
        {"_a", PEL_IMAGE_KIND_RGBA, 1, {0xA0, 0xB0, 0xC0, 0xFF, 0xA0, 0xB0, 0xC0, 0x00}},
        {"_a", PEL_IMAGE_KIND_ARGB8888, 0, {0xC0, 0xB0, 0xA0, 0xFF, 0xC0, 0xB0, 0xA0, 0xFF}},
        // A4R4G4B4 0xDABC: green's nibble from 0x80 and 0x7F.
        {"_g", PEL_IMAGE_KIND_ARGB4444, 3, {0x8C, 0xDA, 0x7C, 0xDA}},
        {"_r", PEL_IMAGE_KIND_ARGB4444, 3, {0xBC, 0xD1, 0xBC, 0xD2}},
        // R5G6B5 of (A0, B0, C0): green's six bits from 0x80 and 0x7F.
        {"_g", PEL_IMAGE_KIND_RGB565, 3, {0x18, 0xA4, 0xF8, 0xA3}},
        {"_a", PEL_IMAGE_KIND_RGB565, 1, {0x98, 0xA5, 0x98, 0xA5}},  // no alpha: ignored
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        const std::string stem = "layered" + std::to_string(index++);
        tools::writers::ApibSpec info;
        info.alphaMode = c.alphaMode;
        writeBesideExecutable(stem + ".pib", tools::writers::buildApib(info));
        writeBesideExecutable(stem + c.suffix + ".png", rgbaPng(2, 1, kLayerPixels));
        const Loaded loaded = load(stem + ".png", rgbaPng(2, 1, image), c.kind);
        ASSERT_EQ(loaded.loadStatus, PEL_OK);
        EXPECT_EQ(loaded.bytes, c.expected);
    }
}

TEST_F(LayerImages, ColourLayersPassThroughTheGamma) {
    tools::writers::ApibSpec info;
    info.gammaMode = 2;
    writeBesideExecutable("lit.pib", tools::writers::buildApib(info));
    writeBesideExecutable("lit_r", rgbaPng(1, 1, {128, 0, 0, 0}));  // found without ".png"
    writeBesideExecutable("lit_a.png", rgbaPng(1, 1, {0, 128, 0, 0}));
    const Loaded loaded = load("lit.png", rgbaPng(1, 1, {0, 128, 0, 255}), PEL_IMAGE_KIND_RGBA);
    ASSERT_EQ(loaded.loadStatus, PEL_OK);
    EXPECT_EQ(loaded.bytes, (std::vector<uint8_t>{186, 186, 0, 128}));
}

TEST_F(LayerImages, ABadLayerFailsTheLoadWithItsReport) {
    const std::string folder = executableFolder();
    std::string lowered(folder);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    struct Case {
        const char* layerName;
        std::string layerBytes;
        const char* report;     // after the layer's name
        bool heldOpen = false;  // held open for writing, so that it cannot be opened to read
    };
    const Case cases[] = {
        {"held_r.png", rgbaPng(4, 3, solid(12, {1, 2, 3, 4})), "can't open a layer file \"%ls\"",
         true},
        {"small_a.png", rgbaPng(2, 2, solid(4, {1, 2, 3, 4})),
         "invalid size \"%ls\" (image 4x3) (alpha 2x2)"},
        {"garbage_g.png", "not a png", "can't load a layer info \"%ls\""},
        {"cut_b.png", rgbaPng(4, 3, solid(12, {1, 2, 3, 4})).substr(0, 60),
         "can't read a layer image \"%ls\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layerName);
        const std::string layer(c.layerName);
        const std::string stem = layer.substr(0, layer.find('_'));
        writeBesideExecutable(layer, c.layerBytes);
        PEL_FILE* writer =
            c.heldOpen ? pelFileOpen(PEL_FILE_MODE_WRITE, wide(layer).c_str(), 0) : nullptr;
        ReportCapture capture;
        const Loaded loaded =
            load(stem + ".png", rgbaPng(4, 3, solid(12, {9, 9, 9, 9})), PEL_IMAGE_KIND_RGBA);
        EXPECT_EQ(loaded.infoStatus, PEL_OK);
        EXPECT_EQ(loaded.loadStatus, PEL_E_NOTFOUND);
        pelFileClose(writer);
        const std::string name = lowered + "/" + layer.substr(0, layer.size() - 4);
        std::string text = "Information: [_pelImageRawLoadData] " + std::string(c.report);
        text.replace(text.find("%ls"), 3, name);
        ASSERT_EQ(capture.entries().size(), 1u);
        EXPECT_EQ(capture.entries()[0].level, 3);
        EXPECT_EQ(capture.entries()[0].text, wide(text));
    }
}

}  // namespace
}  // namespace tessera::test

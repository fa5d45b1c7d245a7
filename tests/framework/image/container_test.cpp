#include <gtest/gtest.h>

#include <cstring>

#include "tests/framework/image/image_fixture.h"
#include "tools/writers/big_endian.h"
#include "tools/writers/image_info_writers.h"

namespace tessera::test {
namespace {

using tools::writers::buildCpib;
using tools::writers::CpibSpec;

using Containers = FrameworkImages;

// Block data of the given length whose bytes count up, so that any misplaced byte shows.
std::string counting(size_t length, uint8_t from) {
    std::string out(length, '\0');
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<char>(from + i);
    return out;
}

CpibSpec baseOnly(int width, int height, const std::vector<uint8_t>& pixels) {
    CpibSpec spec;
    spec.width = width;
    spec.height = height;
    spec.baseLevels = {rgbaPng(width, height, pixels)};
    return spec;
}

TEST_F(Containers, TheHeaderFillsTheInfoRecord) {
    CpibSpec spec = baseOnly(3, 2, solid(6, {1, 2, 3, 4}));
    spec.levelsMinusOne = 1;
    spec.baseLevels.push_back(rgbaPng(1, 1, {5, 6, 7, 8}));
    spec.compressedLevels[4] = {counting(16, 0), counting(16, 16)};
    spec.firstValue = 5;
    spec.secondValue = -6;
    spec.gamma = 1.5f;
    spec.alphaMode = 0;
    const Loaded loaded = load("box.cpib", buildCpib(spec), PEL_IMAGE_KIND_DXT5);
    ASSERT_EQ(loaded.infoStatus, PEL_OK);
    const PEL_IMAGE_INFO& info = loaded.info;
    EXPECT_EQ(info.width, 3u);
    EXPECT_EQ(info.height, 2u);
    EXPECT_EQ(info.flags, 0x200000u);
    EXPECT_EQ(info.levelsMinusOne, 1u);
    EXPECT_EQ(info.firstValue, 5);
    EXPECT_EQ(info.secondValue, -6);
    EXPECT_EQ(info.gammaMode, 3u);
    EXPECT_FLOAT_EQ(info.gamma, 1.5f);
    EXPECT_EQ(info.alphaMode, 0u);
    EXPECT_EQ(info.decoder, PEL_IMAGE_DECODER_CONTAINER);
    ASSERT_EQ(info.storedFormatCount, 2u);
    EXPECT_EQ(info.storedFormats[0].kind, 0u);
    EXPECT_EQ(info.storedFormats[1].kind, PEL_IMAGE_KIND_DXT5);
    EXPECT_EQ(info.storedFormats[1].levelCount, 2u);
    ASSERT_EQ(loaded.loadStatus, PEL_OK);
    EXPECT_EQ(std::string(loaded.bytes.begin(), loaded.bytes.end()), counting(16, 0));
}

TEST_F(Containers, ABaseOnlyContainerServesTheUncompressedKinds) {
    const std::vector<uint8_t> pixels = {255, 0, 0, 0x40, 0, 0, 255, 255};
    const std::string bytes = buildCpib(baseOnly(2, 1, pixels));
    struct Case {
        uint32_t kind;
        PEL_STATUS status;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {PEL_IMAGE_KIND_RGBA, PEL_OK, pixels},
        {PEL_IMAGE_KIND_ARGB8888, PEL_OK, {0, 0, 255, 0x40, 255, 0, 0, 255}},
        {PEL_IMAGE_KIND_ARGB4444, PEL_OK, {0x00, 0x4F, 0x0F, 0xF0}},
        {PEL_IMAGE_KIND_ARGB1555, PEL_OK, {0x00, 0x7C, 0x1F, 0x80}},
        {PEL_IMAGE_KIND_RGB565, PEL_OK, {0x00, 0xF8, 0x1F, 0x00}},
        {PEL_IMAGE_KIND_DXT1, PEL_E_NOTFOUND, {}},
        {PEL_IMAGE_KIND_DXT3, PEL_E_NOTFOUND, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const Loaded loaded = load("base" + std::to_string(c.kind) + ".cpib", bytes, c.kind);
        ASSERT_EQ(loaded.infoStatus, PEL_OK);
        EXPECT_EQ(loaded.info.flags, 0x10000u);
        EXPECT_EQ(loaded.loadStatus, c.status);
        if (c.status == PEL_OK) {
            EXPECT_EQ(loaded.bytes, c.expected);
        }
    }
}

TEST_F(Containers, CompressedRowsAreCopiedAtThePitch) {
    uint32_t rowBytes = 0;
    uint32_t rows = 0;
    pelImageGetPixelKindSize(PEL_IMAGE_KIND_DXT1, 10, 6, &rowBytes, &rows);
    EXPECT_EQ(rowBytes, 24u);
    EXPECT_EQ(rows, 2u);

    CpibSpec spec = baseOnly(10, 6, solid(60, {1, 2, 3, 4}));
    spec.compressedLevels[0] = {counting(48, 1)};
    spec.compressedLevels[2] = {counting(96, 100)};
    const Loaded loaded = load("blocks.cpib", buildCpib(spec), PEL_IMAGE_KIND_DXT1, 8);
    ASSERT_EQ(loaded.loadStatus, PEL_OK);
    EXPECT_EQ(loaded.info.flags, 0x20000u | 0x80000u);
    ASSERT_EQ(loaded.bytes.size(), 64u);
    const std::string bytes(loaded.bytes.begin(), loaded.bytes.end());
    EXPECT_EQ(bytes.substr(0, 24), counting(24, 1));
    EXPECT_EQ(bytes.substr(24, 8), std::string(8, '\xEE'));
    EXPECT_EQ(bytes.substr(32, 24), counting(24, 25));

    const Loaded third = load("blocks3.cpib", buildCpib(spec), PEL_IMAGE_KIND_DXT3);
    ASSERT_EQ(third.loadStatus, PEL_OK);
    EXPECT_EQ(std::string(third.bytes.begin(), third.bytes.end()), counting(96, 100));
}

TEST_F(Containers, ADestinationTooSmallIsACreateFailure) {
    CpibSpec spec = baseOnly(10, 6, solid(60, {1, 2, 3, 4}));
    spec.compressedLevels[0] = {counting(48, 1)};
    PEL_FILE* file = openWritten("small.cpib", buildCpib(spec));
    PEL_IMAGE_INFO info{};
    ASSERT_EQ(pelImageGetInfo(&info, file), PEL_OK);
    std::vector<uint8_t> destination(512);
    EXPECT_EQ(pelImageLoad(&info, file, 23, PEL_IMAGE_KIND_DXT1, destination.data(), 2),
              PEL_E_CREATE);
    EXPECT_EQ(pelImageLoad(&info, file, 24, PEL_IMAGE_KIND_DXT1, destination.data(), 1),
              PEL_E_CREATE);
    EXPECT_EQ(pelImageLoad(&info, file, 39, PEL_IMAGE_KIND_RGBA, destination.data(), 6),
              PEL_E_CREATE);
    EXPECT_EQ(pelImageLoad(&info, file, 24, PEL_IMAGE_KIND_DXT1, destination.data(), 2), PEL_OK);
    std::free(info.storedFormats);
}

TEST_F(Containers, HostileHeadersAreNotFound) {
    const CpibSpec valid = baseOnly(2, 2, solid(4, {1, 2, 3, 4}));
    auto with = [&](auto change) {
        CpibSpec spec = valid;
        change(spec);
        return buildCpib(spec);
    };
    auto patched = [&](size_t at, uint32_t value) {
        std::string bytes = buildCpib(valid);
        std::string word;
        tools::writers::putU32BigEndian(word, value);
        bytes.replace(at, 4, word);
        return bytes;
    };
    const std::string intact = buildCpib(valid);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"version 1", with([](CpibSpec& s) { s.version = 1; })},
        {"width 0", with([](CpibSpec& s) { s.width = 0; })},
        {"height 0", with([](CpibSpec& s) { s.height = 0; })},
        {"width 16385", with([](CpibSpec& s) { s.width = 16385; })},
        {"height 16385", with([](CpibSpec& s) { s.height = 16385; })},
        {"16 levels", with([](CpibSpec& s) {
             s.levelsMinusOne = 16;
             s.baseLevels.assign(17, rgbaPng(1, 1, {1, 2, 3, 4}));
         })},
        {"a huge level count", patched(20, 0xFFFFFFFF)},
        {"an offset past the end", patched(40, static_cast<uint32_t>(intact.size()))},
        {"a table cut short", intact.substr(0, 42)},
        {"a header cut short", intact.substr(0, 30)},
        {"flags for a missing table", patched(16, 0x3E0000)},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PEL_IMAGE_INFO info{};
        const std::string name = "hostile" + std::to_string(index++) + ".cpib";
        EXPECT_EQ(pelImageGetInfo(&info, openWritten(name, c.bytes)), PEL_E_NOTFOUND);
        EXPECT_EQ(info.storedFormats, nullptr);
        EXPECT_EQ(info.width, 0u);
    }
    // Fifteen is the most: sixteen levels load.
    PEL_IMAGE_INFO info{};
    const std::string deepest = with([](CpibSpec& s) {
        s.levelsMinusOne = 15;
        s.baseLevels.assign(16, rgbaPng(2, 2, solid(4, {1, 2, 3, 4})));
    });
    EXPECT_EQ(pelImageGetInfo(&info, openWritten("deepest.cpib", deepest)), PEL_OK);
    std::free(info.storedFormats);
}

}  // namespace
}  // namespace tessera::test

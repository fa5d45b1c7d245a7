// The per-pixel reading and writing rules and the YCbCr tables, against formulas written
// independently here.
#include <gtest/gtest.h>

#include <cmath>

#include "pixelconv/pixel_rule.h"
#include "pixelconv/ycbcr_tables.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;

int Clamp(double v) { return v < 0 ? 0 : v > 255 ? 255 : int(v); }
int Entry(int i, float factor) { return int(std::rint(float(i) * factor)); }

// Forward conversion, sums floored by a division in double precision.
struct Ycc {
    int y, cr, cb;
};
Ycc ReferenceYcc(int r, int g, int b) {
    const int ySum = Entry(r, 38.272f) + Entry(g, 75.136f) + Entry(b, 14.592f);
    const int crSum = Entry(r, 64.0f) + Entry(g, -53.59232f) + Entry(b, -10.40768f);
    const int cbSum = Entry(r, -21.59872f) + Entry(g, -42.40128f) + Entry(b, 64.0f);
    return {Clamp(std::floor(ySum / 128.0)), Clamp(std::floor(crSum / 128.0) + 128),
            Clamp(std::floor(cbSum / 128.0) + 128)};
}

DimgRgba ReferenceFromYcc(int y, int cr, int cb) {
    const int g = Entry(cr - 128, -91.40992f) + Entry(cb - 128, -44.04992f);
    return {uint8_t(Clamp(y + Entry(cr - 128, 1.402f))), uint8_t(Clamp(y + std::floor(g / 128.0))),
            uint8_t(Clamp(y + Entry(cb - 128, 1.772f))), 255};
}

// Reading rule of a 16-bit word, written from the field layout.
DimgRgba ReferenceRead16(DImageKind kind, uint32_t w) {
    auto field = [&](int shift, int bits) { return (w >> shift) & ((1u << bits) - 1); };
    switch (kind) {
    case DImageKind::A1R5G5B5:
        return {uint8_t(field(10, 5) * 8), uint8_t(field(5, 5) * 8), uint8_t(field(0, 5) * 8),
                uint8_t(field(15, 1) * 255)};
    case DImageKind::A4R4G4B4:
        return {uint8_t(field(8, 4) * 16), uint8_t(field(4, 4) * 16), uint8_t(field(0, 4) * 16),
                uint8_t(field(12, 4) * 16)};
    default:
        return {uint8_t(field(11, 5) * 8), uint8_t(field(6, 5) * 8), uint8_t(field(0, 5) * 8), 255};
    }
}

// Writing rule, as the bytes of a pixel of each kind.
std::vector<uint8_t> ReferenceWrite(DImageKind kind, DimgRgba c) {
    auto word = [](uint32_t w) { return std::vector<uint8_t>{uint8_t(w), uint8_t(w >> 8)}; };
    switch (kind) {
    case DImageKind::RGBA32:
        return {c.r, c.g, c.b, c.a};
    case DImageKind::RGB24:
        return {c.r, c.g, c.b};
    case DImageKind::BGRA32:
        return {c.b, c.g, c.r, c.a};
    case DImageKind::BGR24:
        return {c.b, c.g, c.r};
    case DImageKind::A1R5G5B5:
        return word((c.a / 128) * 0x8000 + (c.r / 8) * 0x400 + (c.g / 8) * 0x20 + c.b / 8);
    case DImageKind::A4R4G4B4:
        return word((c.a / 16) * 0x1000 + (c.r / 16) * 0x100 + (c.g / 16) * 0x10 + c.b / 16);
    case DImageKind::R5G6B5:
        return word((c.r / 8) * 0x800 + (c.g / 8) * 0x40 + c.b / 8);
    case DImageKind::YCbCr24: {
        const Ycc v = ReferenceYcc(c.r, c.g, c.b);
        return {uint8_t(v.y), uint8_t(v.cr), uint8_t(v.cb)};
    }
    }
    return {};
}

template <DImageKind D, DImageKind S>
std::vector<uint8_t> Convert(std::vector<uint8_t> in) {
    std::vector<uint8_t> out(DimgBytesPerPixel(D), 0xEE);
    DimgConvertPixel<D, S>(out.data(), in.data());
    return out;
}

template <DImageKind D, DImageKind S>
std::vector<uint8_t> ConvertWord(uint32_t w) {
    return Convert<D, S>({uint8_t(w), uint8_t(w >> 8)});
}

TEST(DimgYCbCrTables, SampleEntries) {
    const DimgYCbCrTableSet& t = DimgYCbCrTables;
    EXPECT_EQ(t.YFromR[255], 9759);
    EXPECT_EQ(t.YFromG[255], 19160);
    EXPECT_EQ(t.YFromB[255], 3721);
    EXPECT_EQ(t.CrFromG[255], -13666);
    EXPECT_EQ(t.RFromCr[0], -179);
    EXPECT_EQ(t.RFromCr[255], 178);
    EXPECT_EQ(t.BFromCb[0], -227);
    EXPECT_EQ(t.BFromCb[255], 225);
    EXPECT_EQ(t.GFromCr[0], 11700);
    EXPECT_EQ(t.GFromCb[0], 5638);
}

TEST(DimgYCbCr, EveryRgbValueMatchesTheFormula) {
    for (int r = 0; r < 256; ++r) {
        for (int g = 0; g < 256; ++g) {
            for (int b = 0; b < 256; ++b) {
                const Ycc want = ReferenceYcc(r, g, b);
                const uint8_t y = DimgRgbToY(r, g, b), cr = DimgRgbToCr(r, g, b),
                              cb = DimgRgbToCb(r, g, b);
                if (y != want.y || cr != want.cr || cb != want.cb) {
                    FAIL() << r << "," << g << "," << b << ": " << int(y) << "," << int(cr) << ","
                           << int(cb) << " want " << want.y << "," << want.cr << "," << want.cb;
                }
            }
        }
    }
}

TEST(DimgYCbCr, EveryYccValueReadsAsTheFormula) {
    for (int y = 0; y < 256; ++y) {
        for (int cr = 0; cr < 256; ++cr) {
            for (int cb = 0; cb < 256; ++cb) {
                const uint8_t p[3] = {uint8_t(y), uint8_t(cr), uint8_t(cb)};
                const DimgRgba got = DimgGetPixel<DImageKind::YCbCr24>(p);
                const DimgRgba want = ReferenceFromYcc(y, cr, cb);
                if (got.r != want.r || got.g != want.g || got.b != want.b || got.a != 255) {
                    FAIL() << y << "," << cr << "," << cb;
                }
            }
        }
    }
}

TEST(DimgYCbCr, EdgeValues) {
    using V = std::vector<uint8_t>;
    constexpr auto Y = DImageKind::YCbCr24;
    constexpr auto RGBA = DImageKind::RGBA32;
    EXPECT_EQ((Convert<Y, RGBA>({255, 0, 0, 9})), (V{0x4C, 0xFF, 0x54}));
    EXPECT_EQ((Convert<Y, RGBA>({0, 255, 0, 9})), (V{0x95, 0x15, 0x2B}));
    EXPECT_EQ((Convert<Y, RGBA>({0, 0, 255, 9})), (V{0x1D, 0x6B, 0xFF}));
    EXPECT_EQ((Convert<Y, RGBA>({255, 255, 255, 9})), (V{0xFF, 0x80, 0x80}));
    EXPECT_EQ((Convert<Y, RGBA>({0, 0, 0, 9})), (V{0x00, 0x80, 0x80}));
    EXPECT_EQ((Convert<Y, RGBA>({1, 2, 3, 9})), (V{0x01, 0x7F, 0x80}));
    EXPECT_EQ((Convert<RGBA, Y>({76, 255, 84})), (V{254, 0, 0, 255}));
    EXPECT_EQ((Convert<RGBA, Y>({0, 255, 0})), (V{178, 0, 0, 255}));
    EXPECT_EQ((Convert<RGBA, Y>({255, 0, 255})), (V{76, 255, 255, 255}));
    EXPECT_EQ((Convert<RGBA, Y>({255, 128, 128})), (V{255, 255, 255, 255}));
    // Grey 9 loses one on the way in (table sum 1151); YCbCr24 into itself re-encodes.
    const DimgYCbCrTableSet& t = DimgYCbCrTables;
    EXPECT_EQ(t.YFromR[9] + t.YFromG[9] + t.YFromB[9], 1151);
    EXPECT_EQ(DimgRgbToY(9, 9, 9), 8);
    EXPECT_EQ((Convert<Y, Y>({9, 128, 128})), (V{8, 128, 128}));
    EXPECT_EQ((Convert<Y, Y>({0, 0, 0})), (V{0x4F, 0x47, 0x53}));
}

TEST(DimgPixelRule, SixteenBitSamples) {
    using V = std::vector<uint8_t>;
    constexpr auto RGBA = DImageKind::RGBA32;
    EXPECT_EQ((ConvertWord<RGBA, DImageKind::A4R4G4B4>(0xFFFF)), (V{240, 240, 240, 240}));
    EXPECT_EQ((ConvertWord<RGBA, DImageKind::A1R5G5B5>(0xFFFF)), (V{248, 248, 248, 255}));
    EXPECT_EQ((ConvertWord<RGBA, DImageKind::R5G6B5>(0x0020)), (V{0, 0, 0, 255}));
    EXPECT_EQ((Convert<DImageKind::A1R5G5B5, RGBA>({255, 255, 255, 127})), (V{0xFF, 0x7F}));
    EXPECT_EQ((Convert<DImageKind::A1R5G5B5, RGBA>({255, 255, 255, 128})), (V{0xFF, 0xFF}));
    EXPECT_EQ((Convert<DImageKind::R5G6B5, RGBA>({255, 255, 255, 255})), (V{0xDF, 0xFF}));
    EXPECT_EQ((ConvertWord<DImageKind::A4R4G4B4, DImageKind::A1R5G5B5>(0x8000)), (V{0x00, 0xF0}));
    // R5G6B5 into itself keeps green bit 5; through BGRA32 and back it is cleared.
    EXPECT_EQ((ConvertWord<DImageKind::R5G6B5, DImageKind::R5G6B5>(0x0020)), (V{0x20, 0x00}));
    const V bgra = ConvertWord<DImageKind::BGRA32, DImageKind::R5G6B5>(0xFFFF);
    EXPECT_EQ((Convert<DImageKind::R5G6B5, DImageKind::BGRA32>(bgra)), (V{0xDF, 0xFF}));
}

template <DImageKind D, DImageKind S>
void CheckEveryWord() {
    for (uint32_t w = 0; w < 0x10000; ++w) {
        const std::vector<uint8_t> got = ConvertWord<D, S>(w);
        const std::vector<uint8_t> want = D == S ? std::vector<uint8_t>{uint8_t(w), uint8_t(w >> 8)}
                                                 : ReferenceWrite(D, ReferenceRead16(S, w));
        if (got != want) FAIL() << int(D) << " <- " << int(S) << " word " << w;
    }
}

template <DImageKind S, size_t... D>
void CheckEveryWordIntoEveryKind(std::index_sequence<D...>) {
    (CheckEveryWord<DImageKind(D), S>(), ...);
}

TEST(DimgPixelRule, EverySixteenBitWordIntoEveryKind) {
    CheckEveryWordIntoEveryKind<DImageKind::A1R5G5B5>(std::make_index_sequence<8>());
    CheckEveryWordIntoEveryKind<DImageKind::A4R4G4B4>(std::make_index_sequence<8>());
    CheckEveryWordIntoEveryKind<DImageKind::R5G6B5>(std::make_index_sequence<8>());
}

}  // namespace
}  // namespace pixeltest

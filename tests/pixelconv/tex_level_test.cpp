// Texture level conversion and its resampling passes, against the worked examples and a
// reference model of the passes written here from their definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "pixelconv/blit.h"
#include "pixelconv/tex_level.h"
#include "tests/pixelconv/fixture_image.h"

namespace pixeltest {
namespace {

using namespace mirel;
using Bytes = std::vector<uint8_t>;
using Channel = std::vector<int>;

// Linear enlarging of one channel: positions accumulated in single precision, 16.16 weights.
Channel ReferenceEnlarge(const Channel& in, uint32_t dstN) {
    const uint32_t srcN = uint32_t(in.size());
    const float step = float(srcN) / float(dstN);
    float p = 0.0f;
    Channel out;
    for (uint32_t k = 0; k < dstN; ++k, p += step) {
        const uint32_t i0 = std::min(uint32_t(p), srcN - 1);
        const int f = std::min(int((p - float(i0)) * 65536.0f), 65535);
        const uint32_t i1 = i0 + 1 < srcN ? i0 + 1 : i0;
        out.push_back(in[i0] + int(std::floor((in[i1] - in[i0]) * double(f) / 65536.0)));
    }
    return out;
}

// Box reduction of one channel: 1/256 weights, partial samples floored, the quotient held at
// 255 at most and a span that does not reach past its first sample taking that sample.
Channel ReferenceReduce(const Channel& in, uint32_t dstN) {
    const uint32_t srcN = uint32_t(in.size());
    const float step = float(srcN) / float(dstN);
    std::vector<uint32_t> index(dstN + 1), weight(dstN + 1);
    float p = 0.0f;
    for (uint32_t k = 0; k < dstN; ++k, p += step) {
        index[k] = std::min(uint32_t(p), srcN - 1);
        weight[k] = uint32_t((p - float(index[k])) * 256.0f);
    }
    index[dstN] = srcN - 1;
    weight[dstN] = 256;
    const uint64_t divisor = uint64_t(256.0f * step);
    Channel out;
    for (uint32_t k = 0; k < dstN; ++k) {
        const uint32_t a = index[k], b = index[k + 1];
        if (a >= b) {
            out.push_back(in[a]);
            continue;
        }
        uint64_t sum = in[a] * (256 - weight[k]) / 256 + in[b] * weight[k + 1] / 256;
        for (uint32_t i = a + 1; i < b; ++i) sum += in[i];
        out.push_back(int(std::min<uint64_t>(256 * sum / divisor, 255)));
    }
    return out;
}

Channel ReferenceAxis(const Channel& in, uint32_t dstN) {
    return dstN >= in.size() ? ReferenceEnlarge(in, dstN) : ReferenceReduce(in, dstN);
}

// A picture as canonical pixels, row by row.
struct Picture {
    uint32_t width, height;
    std::vector<DimgRgba> pixels;
    DimgRgba& at(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
};

Picture Read(FixtureImage& image) {
    Picture p{uint32_t(image.width()), uint32_t(image.height()), {}};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            p.pixels.push_back(GetAny(image.kind(), image.pixel(x, y)));
    return p;
}

uint8_t& ChannelOf(DimgRgba& c, int i) { return i == 0 ? c.r : i == 1 ? c.g : i == 2 ? c.b : c.a; }

// The two passes: every row horizontally, then every column vertically.
Picture ReferenceResample(Picture in, uint32_t dstW, uint32_t dstH) {
    Picture mid{dstW, in.height, std::vector<DimgRgba>(size_t(dstW) * in.height)};
    for (uint32_t y = 0; y < in.height; ++y) {
        for (int c = 0; c < 4; ++c) {
            Channel row;
            for (uint32_t x = 0; x < in.width; ++x) row.push_back(ChannelOf(in.at(x, y), c));
            const Channel out = ReferenceAxis(row, dstW);
            for (uint32_t x = 0; x < dstW; ++x) ChannelOf(mid.at(x, y), c) = uint8_t(out[x]);
        }
    }
    Picture out{dstW, dstH, std::vector<DimgRgba>(size_t(dstW) * dstH)};
    for (uint32_t x = 0; x < dstW; ++x) {
        for (int c = 0; c < 4; ++c) {
            Channel column;
            for (uint32_t y = 0; y < in.height; ++y) column.push_back(ChannelOf(mid.at(x, y), c));
            const Channel res = ReferenceAxis(column, dstH);
            for (uint32_t y = 0; y < dstH; ++y) ChannelOf(out.at(x, y), c) = uint8_t(res[y]);
        }
    }
    return out;
}

// One row of RGBA32 pixels whose four channels all hold the given values, resized to dstN.
Channel ResizeRow(const Channel& values, uint32_t dstN) {
    Bytes bytes;
    for (int v : values) bytes.insert(bytes.end(), 4, uint8_t(v));
    FixtureImage src(DImageKind::RGBA32, int(values.size()), 1, bytes);
    FixtureImage dst(DImageKind::RGBA32, int(dstN), 1, Bytes(dstN * 4, 0));
    l3dConvertToTexLevel(dst.image(), src.image(), dstN, 1, uint32_t(values.size()), 1, 0, 0);
    Channel out;
    for (uint32_t x = 0; x < dstN; ++x) {
        const uint8_t* p = dst.pixel(int(x), 0);
        EXPECT_TRUE(p[0] == p[1] && p[1] == p[2] && p[2] == p[3]);
        out.push_back(p[0]);
    }
    return out;
}

TEST(l3dResample, WorkedExamples) {
    EXPECT_EQ(ResizeRow({0, 255}, 4), (Channel{0, 127, 255, 255}));
    EXPECT_EQ(ResizeRow({255, 0}, 4), (Channel{255, 127, 0, 0}));
    EXPECT_EQ(ResizeRow({0, 255}, 3), (Channel{0, 169, 255}));
    EXPECT_EQ(ResizeRow({0, 100, 200}, 5), (Channel{0, 59, 119, 179, 200}));
    EXPECT_EQ(ResizeRow({77}, 5), (Channel{77, 77, 77, 77, 77}));
    EXPECT_EQ(ResizeRow({255, 255, 255}, 2), (Channel{254, 254}));
    EXPECT_EQ(ResizeRow(Channel(5, 255), 3), (Channel{254, 254, 255}));
    EXPECT_EQ(ResizeRow(Channel(4, 255), 2), (Channel{255, 255}));
    EXPECT_EQ(ResizeRow(Channel(640, 255), 512), Channel(512, 254));
    EXPECT_EQ(ResizeRow({0, 100, 200, 255}, 2), (Channel{50, 227}));
    EXPECT_EQ(ResizeRow({10, 20, 30, 40, 50}, 2), (Channel{18, 42}));
    EXPECT_EQ(ResizeRow({100, 201}, 1), (Channel{150}));
    EXPECT_EQ(ResizeRow({90, 120, 150}, 1), (Channel{120}));
}

// The box quotient can reach 256 (157 to 87 is one case) and spans can end where they start
// (435 to 434): white and opaque lose at most the two floored partial pixels of a span, and
// never wrap to 0.
TEST(l3dResample, FlatWhiteNeverWrapsToBlack) {
    EXPECT_EQ(ResizeRow(Channel(157, 255), 87).back(), 255);
    const Channel row = ResizeRow(Channel(435, 255), 434);
    EXPECT_GE(*std::min_element(row.begin(), row.end()), 254);
    for (uint32_t srcN = 2; srcN < 300; srcN += 3) {
        for (uint32_t dstN = 1; dstN < srcN; ++dstN) {
            const Channel out = ResizeRow(Channel(srcN, 255), dstN);
            ASSERT_GE(*std::min_element(out.begin(), out.end()), 253) << srcN << " to " << dstN;
        }
    }
}

struct ResizeCase {
    DImageKind dstKind, srcKind;
    int srcW, srcH, dstW, dstH;
    bool srcReverse, dstReverse;
};

TEST(l3dConvertToTexLevel, ResizedLevelsMatchTheReferenceModel) {
    constexpr auto RGBA = DImageKind::RGBA32, BGRA = DImageKind::BGRA32, RGB = DImageKind::RGB24;
    const std::vector<ResizeCase> cases = {
        {BGRA, RGBA, 100, 60, 128, 64, false, false},
        {BGRA, RGB, 2048, 512, 1024, 512, true, false},
        {RGBA, BGRA, 64, 100, 64, 128, false, true},
        {DImageKind::R5G6B5, DImageKind::YCbCr24, 37, 23, 16, 64, true, false},
        {DImageKind::A1R5G5B5, DImageKind::A4R4G4B4, 157, 41, 87, 29, false, false},
        {DImageKind::YCbCr24, DImageKind::BGR24, 9, 300, 31, 7, false, true},
    };
    std::mt19937 rng(7);
    for (const ResizeCase& c : cases) {
        FixtureImage src(c.srcKind, c.srcW, c.srcH, 3, c.srcReverse, rng);
        FixtureImage dst(c.dstKind, c.dstW, c.dstH, 2, c.dstReverse, rng);
        const Picture want = ReferenceResample(Read(src), c.dstW, c.dstH);
        std::vector<uint8_t> expected = dst.bytes();
        for (int y = 0; y < c.dstH; ++y) {
            for (int x = 0; x < c.dstW; ++x) {
                PutAny(c.dstKind, want.pixels[size_t(y) * c.dstW + x],
                       expected.data() + dst.offsetOf(x, y));
            }
        }
        l3dConvertToTexLevel(dst.image(), src.image(), c.dstW, c.dstH, c.srcW, c.srcH, 0, 0);
        EXPECT_EQ(dst.bytes(), expected)
            << int(c.dstKind) << " <- " << int(c.srcKind) << " " << c.srcW << "x" << c.srcH;
    }
}

TEST(l3dConvertToTexLevel, EqualSizesConvertAsTheCopyBlit) {
    std::mt19937 rng(3);
    for (int d = 0; d < 8; ++d) {
        for (int s = 0; s < 8; ++s) {
            FixtureImage src(DImageKind(s), 5, 4, 1, s % 2 == 0, rng);
            std::mt19937 same(uint32_t(d * 8 + s));
            FixtureImage blitted(DImageKind(d), 5, 4, 3, false, same);
            std::mt19937 again(uint32_t(d * 8 + s));
            FixtureImage converted(DImageKind(d), 5, 4, 3, false, again);
            DimgBlit(blitted.image(), src.image(), 5, 4, 5, 4, 0, 0);
            l3dConvertToTexLevel(converted.image(), src.image(), 5, 4, 5, 4, 0, 0);
            EXPECT_EQ(converted.bytes(), blitted.bytes()) << d << " <- " << s;
        }
    }
}

TEST(l3dConvertToTexLevel, R5G6B5KeepsGreenBit5OnlyAtEqualSize) {
    FixtureImage src(DImageKind::R5G6B5, 2, 2, Bytes{0xFF, 0xFF, 0x20, 0, 0x20, 0, 0xFF, 0xFF});
    FixtureImage same(DImageKind::R5G6B5, 2, 2, Bytes(8, 0));
    l3dConvertToTexLevel(same.image(), src.image(), 2, 2, 2, 2, 0, 0);
    EXPECT_EQ(same.bytes(), src.bytes());
    FixtureImage wider(DImageKind::R5G6B5, 4, 2, Bytes(16, 0));
    l3dConvertToTexLevel(wider.image(), src.image(), 4, 2, 2, 2, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(wider.word(x, y) & 0x20, 0) << x << "," << y;
}

TEST(l3dConvertToTexLevel, UnknownKindsAndZeroSizesLeaveTheLevel) {
    std::mt19937 rng(11);
    FixtureImage src(DImageKind::RGBA32, 6, 4, 0, false, rng);
    FixtureImage level(DImageKind::BGRA32, 8, 8, 0, false, rng);
    const Bytes before = level.bytes();
    l3dConvertToTexLevel(level.image(), src.image(), 0, 8, 6, 4, 0, 0);
    l3dConvertToTexLevel(level.image(), src.image(), 8, 8, 6, 0, 0, 0);
    l3dConvertToTexLevel(level.image(), src.image(), 8, 0, 0, 4, 0, 0);
    EXPECT_EQ(level.bytes(), before);
}

// A level wider than the temporary image may be: the resampler's allocation failure reaches
// the caller as std::bad_alloc, with nothing written.
TEST(l3dConvertToTexLevel, TemporaryImageBeyondItsLimitsThrows) {
    const int wide = DImage::kMaxSide + 1;
    FixtureImage level(DImageKind::BGRA32, wide, 1, Bytes(size_t(wide) * 4, 7));
    FixtureImage src(DImageKind::BGRA32, 2, 1, Bytes(8, 1));
    EXPECT_THROW(l3dConvertToTexLevel(level.image(), src.image(), wide, 1, 2, 1, 0, 0),
                 std::bad_alloc);
    EXPECT_EQ(level.bytes(), Bytes(size_t(wide) * 4, 7));
}

}  // namespace
}  // namespace pixeltest

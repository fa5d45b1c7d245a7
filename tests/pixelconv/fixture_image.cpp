#include "tests/pixelconv/fixture_image.h"

#include <gtest/gtest.h>
#include <cstring>

#include "foundation/DImageReverse.h"
#include "pixelconv/math_tables.h"
#include "pixelconv/ycbcr_tables.h"

namespace pixeltest {

using namespace mirel;

namespace {

// The start-up tables every converter reads, built once as the program does.
class StartupTables : public testing::Environment {
public:
    void SetUp() override {
        DMathInitTables();
        DimgInitYCbCrTables();
    }
};

[[maybe_unused]] testing::Environment* const startupTables =
    testing::AddGlobalTestEnvironment(new StartupTables);

}  // namespace

FixtureImage::FixtureImage(DImageKind kind, int width, int height, int padding, bool reverse,
                           std::mt19937& rng)
    : kind_(kind), width_(width), height_(height) {
    attach(padding, reverse);
    for (size_t i = 0; i < size_; ++i) memory_[i] = static_cast<uint8_t>(rng());
}

FixtureImage::FixtureImage(DImageKind kind, int width, int height, std::vector<uint8_t> bytes,
                           bool reverse)
    : kind_(kind), width_(width), height_(height) {
    attach(0, reverse);
    EXPECT_EQ(bytes.size(), size_);
    const size_t row = size_t(width) * bytesPerPixel();
    for (int y = 0; y < height && (y + 1) * row <= bytes.size(); ++y) {
        std::memcpy(pixel(0, y), bytes.data() + y * row, row);
    }
}

void FixtureImage::attach(int padding, bool reverse) {
    const int row = width_ * int(bytesPerPixel());
    const int pitch = row + padding;
    size_ = size_t(pitch) * (height_ - 1) + row;
    memory_ = std::make_unique<uint8_t[]>(size_);
    if (reverse) {
        image_ = std::make_unique<DImageReverse>();
    } else {
        image_ = std::make_unique<DImage>();
    }
    EXPECT_TRUE(DImage::AttachRaw(*image_, memory_.get(), width_, height_, pitch, kind_));
}

std::vector<uint8_t> FixtureImage::pictureBytes() {
    std::vector<uint8_t> out;
    const size_t row = size_t(width_) * bytesPerPixel();
    for (int y = 0; y < height_; ++y) out.insert(out.end(), pixel(0, y), pixel(0, y) + row);
    return out;
}

namespace {

template <size_t... K>
DimgRgba GetByKind(DImageKind kind, const uint8_t* p, std::index_sequence<K...>) {
    DimgRgba c{};
    ((kind == DImageKind(K) ? (c = DimgGetPixel<DImageKind(K)>(p), true) : false) || ...);
    return c;
}

template <size_t... K>
void PutByKind(DImageKind kind, DimgRgba c, uint8_t* p, std::index_sequence<K...>) {
    ((kind == DImageKind(K) ? (DimgPutPixel<DImageKind(K)>(c, p), true) : false) || ...);
}

}  // namespace

DimgRgba GetAny(DImageKind kind, const uint8_t* p) {
    return GetByKind(kind, p, std::make_index_sequence<8>());
}

void PutAny(DImageKind kind, DimgRgba c, uint8_t* p) {
    PutByKind(kind, c, p, std::make_index_sequence<8>());
}

std::vector<uint32_t> NearestIndices(uint32_t n, uint32_t m) {
    std::vector<uint32_t> out;
    int64_t s = 0, e = 2 * int64_t(n) - m;
    for (uint32_t d = 0; d < m; ++d) {
        out.push_back(uint32_t(s));
        while (e > 0) {
            if (s < int64_t(n) - 1) ++s;
            e -= 2 * int64_t(m);
        }
        e += 2 * int64_t(n);
    }
    return out;
}

}  // namespace pixeltest

#pragma once
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "foundation/DImage.h"
#include "pixelconv/pixel_rule.h"

namespace pixeltest {

// An image over exactly the bytes its rows span (top-down or bottom-up), so AddressSanitizer
// reports any access before the first or after the last pixel; the bytes between a row's
// last pixel and the next row are guard bytes. Every byte starts random.
class FixtureImage {
public:
    FixtureImage(mirel::DImageKind kind, int width, int height, int padding, bool reverse,
                 std::mt19937& rng);
    // A single-row or small image with every byte given, top row first, no padding.
    FixtureImage(mirel::DImageKind kind, int width, int height, std::vector<uint8_t> bytes,
                 bool reverse = false);

    mirel::DImage& image() { return *image_; }
    mirel::DImageKind kind() const { return kind_; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t bytesPerPixel() const { return mirel::DimgBytesPerPixel(kind_); }

    // Picture coordinates, row 0 at the top.
    uint8_t* pixel(int x, int y) { return image_->PixelAddress(x, y); }
    size_t offsetOf(int x, int y) { return size_t(pixel(x, y) - memory_.get()); }

    std::vector<uint8_t> bytes() const { return {memory_.get(), memory_.get() + size_}; }
    // The picture's bytes row by row, top row first, without padding.
    std::vector<uint8_t> pictureBytes();

    uint16_t word(int x, int y) { return mirel::DimgLoadWord(pixel(x, y)); }
    void setWord(int x, int y, uint16_t w) { mirel::DimgStoreWord(pixel(x, y), w); }

private:
    void attach(int padding, bool reverse);

    mirel::DImageKind kind_;
    int width_, height_;
    size_t size_ = 0;
    std::unique_ptr<uint8_t[]> memory_;
    std::unique_ptr<mirel::DImage> image_;
};

// The reading and writing rules chosen at run time, for reference models.
mirel::DimgRgba GetAny(mirel::DImageKind kind, const uint8_t* p);
void PutAny(mirel::DImageKind kind, mirel::DimgRgba c, uint8_t* p);

// Source sample of each of m destination samples from n source samples, by the integer
// error term of the nearest-neighbour blits.
std::vector<uint32_t> NearestIndices(uint32_t n, uint32_t m);

}  // namespace pixeltest

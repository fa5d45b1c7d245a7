#include "foundation/DImage.h"

namespace mirel {

int32_t DImage::CheckedPitch(int32_t width, int32_t height, int32_t pitch, DImageKind kind) {
    const int32_t bits = DImageKindBits(kind);
    if (bits == 0 || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return -1;
    const int32_t rowBytes = width * ((bits + 7) / 8);
    if (pitch == 0) pitch = (rowBytes + 3) & ~3;
    if (pitch < rowBytes) return -1;
    return pitch;
}

void DImage::SetFormat(int32_t width, int32_t height, int32_t pitch, DImageKind kind) {
    width_ = width;
    height_ = height;
    pitch_ = pitch;
    bitsPerPixel_ = DImageKindBits(kind);
    bytesPerPixel_ = (bitsPerPixel_ + 7) / 8;
    kind_ = kind;
}

bool DImage::Create(int32_t width, int32_t height, int32_t pitch, DImageKind kind) {
    pitch = CheckedPitch(width, height, pitch, kind);
    if (pitch < 0) return false;
    if (pixels_ && height == height_ && pitch == pitch_) {
        SetFormat(width, height, pitch, kind);
        return true;
    }
    if (pixels_) return false;

    const int64_t bytes = int64_t{height} * pitch + 16;
    if (bytes > kMaxBytes) return false;
    rcptr<uint8_t> block;
    block.Allocate(static_cast<size_t>(bytes));
    const auto misalignment = reinterpret_cast<uintptr_t>(block.Get()) % 16;
    pixels_ = block.CopyOffset(static_cast<ptrdiff_t>(16 - misalignment));
    SetFormat(width, height, pitch, kind);
    return true;
}

bool DImage::CreateAutoPitch(int32_t width, int32_t height, DImageKind kind) {
    return Create(width, height, 0, kind);
}

bool DImage::ReleasePixels() {
    if (!pixels_) return false;
    pixels_.Reset();
    width_ = height_ = pitch_ = bitsPerPixel_ = bytesPerPixel_ = 0;
    return true;
}

uint8_t* DImage::Offset(uint8_t* address, int32_t x, int32_t y) const {
    return address + ColumnOffset(x) + RowOffset(y);
}

uint8_t* DImage::PixelAddress(int32_t x, int32_t y) const {
    return Pixels() + ColumnOffset(x) + RowOffset(y);
}

uint8_t* DImage::AddRows(uint8_t* address, int32_t n) const { return address + RowOffset(n); }

uint8_t* DImage::NextRow(uint8_t* address) const { return address + pitch_; }

uint8_t* DImage::FirstRow() const { return Pixels(); }

bool DImage::Attach(const rcptr<uint8_t>& pixels, int32_t width, int32_t height, int32_t pitch,
                    DImageKind kind) {
    const int32_t bits = DImageKindBits(kind);
    if (!pixels || bits == 0 || width < 1 || height < 1) return false;
    const int64_t rowBytes = int64_t{width} * ((bits + 7) / 8);
    if (rowBytes > INT32_MAX - 3) return false;
    if (pitch == 0) pitch = static_cast<int32_t>((rowBytes + 3) & ~int64_t{3});
    if (pitch < rowBytes) return false;
    pixels_ = pixels;
    SetFormat(width, height, pitch, kind);
    return true;
}

bool DImage::AttachRaw(DImage& image, uint8_t* address, int32_t width, int32_t height,
                       int32_t pitch, DImageKind kind) {
    return image.Attach(rcptr<uint8_t>::NonOwning(address), width, height, pitch, kind);
}

}  // namespace mirel

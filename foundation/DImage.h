#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/DImageKind.h"
#include "foundation/DObject.h"
#include "foundation/rcptr.h"

namespace mirel {

// An in-memory picture: rows of pixels of one kind, stored top-down. Code that walks an image
// row by row starts at FirstRow and steps with NextRow, which makes it independent of the row
// order of the derived classes. Pixels is always the start of the pixel memory.
class DImage : public DObject {
public:
    static constexpr int32_t kMaxSide = 16384;
    static constexpr int64_t kMaxBytes = int64_t{1} << 30;

    DImage() = default;
    DImage(const DImage&) = delete;
    DImage& operator=(const DImage&) = delete;

    // Allocates pixels (not cleared) with the first row on a 16-byte boundary. Width and
    // height must be 1..kMaxSide; pitch 0 means the row bytes rounded up to a multiple of 4,
    // and a pitch below the row bytes fails, as does an allocation above kMaxBytes. When
    // height and pitch equal the current ones, the image is relabelled in place (new width and
    // kind over the same memory). Otherwise an image that holds pixels fails. A failed Create
    // changes nothing.
    virtual bool Create(int32_t width, int32_t height, int32_t pitch, DImageKind kind);
    virtual bool CreateAutoPitch(int32_t width, int32_t height, DImageKind kind);
    // Drops the pixels and zeroes the sizes; the kind is kept. False when there were none.
    virtual bool ReleasePixels();

    virtual int32_t Width() const { return width_; }
    virtual int32_t Height() const { return height_; }
    virtual int32_t Pitch() const { return pitch_; }
    virtual int32_t BitsPerPixel() const { return bitsPerPixel_; }
    virtual int32_t BytesPerPixel() const { return bytesPerPixel_; }
    virtual DImageKind Kind() const { return kind_; }

    // The pixel x columns right and y picture rows down from `address`.
    virtual uint8_t* Offset(uint8_t* address, int32_t x, int32_t y) const;
    virtual uint8_t* PixelAddress(int32_t x, int32_t y) const;
    // The address n picture rows down from `address`.
    virtual uint8_t* AddRows(uint8_t* address, int32_t n) const;
    virtual uint8_t* NextRow(uint8_t* address) const;
    // The top row of the picture.
    virtual uint8_t* FirstRow() const;
    // The start of the pixel memory.
    virtual uint8_t* Pixels() const { return pixels_.Get(); }
    // Called by the converters on source and destination after a blit.
    virtual void EndAccess() {}

    // Wraps the given pixels (a counted copy of the handle replaces the old one). Fails for
    // a null handle, a width or height below 1, a kind above 7 or a pitch below the row bytes;
    // pitch 0 means the row bytes rounded up to a multiple of 4. A failed Attach changes nothing.
    bool Attach(const rcptr<uint8_t>& pixels, int32_t width, int32_t height, int32_t pitch,
                DImageKind kind);
    // Attach over memory the image never frees (a locked surface, say).
    static bool AttachRaw(DImage& image, uint8_t* address, int32_t width, int32_t height,
                          int32_t pitch, DImageKind kind);

protected:
    ptrdiff_t RowOffset(int32_t rows) const { return ptrdiff_t{rows} * pitch_; }
    ptrdiff_t ColumnOffset(int32_t x) const { return ptrdiff_t{x} * bytesPerPixel_; }

private:
    // The pitch for the given sizes (resolving pitch 0), or -1 when they are not acceptable.
    static int32_t CheckedPitch(int32_t width, int32_t height, int32_t pitch, DImageKind kind);
    void SetFormat(int32_t width, int32_t height, int32_t pitch, DImageKind kind);

    rcptr<uint8_t> pixels_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t pitch_ = 0;
    int32_t bitsPerPixel_ = 0;
    int32_t bytesPerPixel_ = 0;
    DImageKind kind_ = DImageKind::RGBA32;
};

}  // namespace mirel

#pragma once
#include "foundation/DImage.h"

namespace mirel {

// An image whose rows are stored bottom-up (the row order of BMP files): picture row y lives
// at Pixels() + (Height() - 1 - y) * Pitch(), so FirstRow is the last row in memory and
// NextRow steps back by one pitch.
class DImageReverse : public DImage {
public:
    uint8_t* Offset(uint8_t* address, int32_t x, int32_t y) const override;
    uint8_t* PixelAddress(int32_t x, int32_t y) const override;
    uint8_t* AddRows(uint8_t* address, int32_t n) const override;
    uint8_t* NextRow(uint8_t* address) const override;
    uint8_t* FirstRow() const override;
};

}  // namespace mirel

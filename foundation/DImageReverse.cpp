#include "foundation/DImageReverse.h"

namespace mirel {

uint8_t* DImageReverse::Offset(uint8_t* address, int32_t x, int32_t y) const {
    return address + ColumnOffset(x) - RowOffset(y);
}

uint8_t* DImageReverse::PixelAddress(int32_t x, int32_t y) const {
    return Pixels() + ColumnOffset(x) + RowOffset(Height() - y - 1);
}

uint8_t* DImageReverse::AddRows(uint8_t* address, int32_t n) const {
    return address - RowOffset(n);
}

uint8_t* DImageReverse::NextRow(uint8_t* address) const { return address - Pitch(); }

uint8_t* DImageReverse::FirstRow() const { return Pixels() + RowOffset(Height() - 1); }

}  // namespace mirel

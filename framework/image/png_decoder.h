#pragma once
#include <cstdint>

#include "framework/file/file.h"
#include "framework/image/pixel_kinds.h"

namespace pelimage {

// Where and how decoded rows go.
struct PngTarget {
    uint8_t* destination;
    uint32_t pitch;
    uint32_t rows;  // rows the destination holds
    uint32_t kind;  // 0 to 4
    RowTreatment treatment;
};

// Reads a PNG stream from the file's position: its size only (target NULL) or its pixels into
// the target. False when the stream is not a PNG, is damaged, is larger than kPelImageMaxSide
// on a side, or does not fit the target.
bool readPng(PEL_FILE* file, const PngTarget* target, uint32_t* width, uint32_t* height);

}  // namespace pelimage

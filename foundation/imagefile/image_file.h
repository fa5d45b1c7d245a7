#pragma once
#include "foundation/DFile.h"
#include "foundation/DImage.h"

namespace mirel {

// Image files. Every reader starts at the beginning of the file, so they can be tried one
// after another on one file object; a reader that fails reports to the debug log, releases
// the pixels it made and returns false. Nothing here throws to the caller, except
// DimgWriteBitmap with the file's throw flag set.

// Tries the BMP, PNG, JPEG and plug-in readers in that order; when none reads the file,
// "[DimgLoad] "<path>": Load Error" goes to the debug log.
bool DimgLoad(DFile& file, DImage& image);

// BMP of 8, 24 or 32 bits per pixel, uncompressed or with bit fields; always RGBA32.
bool DimgLoadBitmap(DFile& file, DImage& image);
// PNG, or the private form with the 8-byte header 44 43 49 88 99 AA BB CC (plain) or
// 44 43 49 CC BB AA 99 88 (every later byte XORed with its position's low 8 bits). RGBA32
// with the alpha inverted (255 - alpha) when the image has alpha, else RGB24.
bool DimgLoadPng(DFile& file, DImage& image);
// JPEG with the floating-point inverse DCT; RGB24. A truncated file ends where it ends.
bool DimgLoadJpeg(DFile& file, DImage& image);
// The image plug-ins loaded by _DSusieInit, in order; BGR24.
bool DimgLoadSusie(DFile& file, DImage& image);

// Writes the image as a 24-bit bottom-up BMP from the start of the file. A write error is
// thrown on when the file's throw flag is set; otherwise it is logged and the result is false.
bool DimgWriteBitmap(DFile& file, DImage& image);

// Loads the image plug-ins ("*.spi" in the program directory) and frees them.
void _DSusieInit();
void DSusieTerm();

}  // namespace mirel

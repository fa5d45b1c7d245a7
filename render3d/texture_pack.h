#pragma once
// Texture files: texture packs ("DMF " archives with the members "spec", "compress" and
// "raw") and image files with an optional "<name>_a" alpha image.
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DImage.h"

// "spec" magics: DTCC (colour only, DXT1) and DTCA (with alpha, DXT3).
inline constexpr uint32_t l3dTexturePackOpaque = 0x43435444;
inline constexpr uint32_t l3dTexturePackAlpha = 0x41435444;

// False, quietly, when the file is not a "DMF " archive. Otherwise reads "spec" (its magic
// gives the alpha flag, then the edge size) and opens "compress" (when compressed data is
// wanted) or "raw" into `member`; a bad "spec" or a missing member is fatal.
bool l3dGetTextureData(mirel::DFile& file, mirel::DFile& member, uint32_t& size, bool& alpha,
                       bool compressed);

// Loads the colour image of the name from the pack (plain name, then "dgi:png:jpg:jpeg:bmp")
// and its alpha image "<name>_a" when there is one (alpha from its green channel), into a
// BGRA32 destination; without an alpha image the alpha is 255. Unreadable images and an
// alpha image of another size are fatal.
void l3dLoadTextureImage(uint32_t pack, mirel::DImage& destination, bool& hasAlpha,
                         const char* fileName);

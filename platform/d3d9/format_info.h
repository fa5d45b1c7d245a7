#pragma once
// What the device knows about the pixel formats it stores: storage layout, block compression,
// depth bits, and the sizes of mip levels.
#include <cstddef>

#include "platform/d3d9/d3d9_enums.h"

namespace platform::d3d9 {

bool isBlockCompressed(D3DFORMAT format);     // DXT1, DXT3
bool isDepthFormat(D3DFORMAT format);         // D16 .. D32
bool isColourTargetFormat(D3DFORMAT format);  // A8R8G8B8, X8R8G8B8: what the device renders to
UINT depthBits(D3DFORMAT format);             // 0 for colour formats
bool hasStencilBits(D3DFORMAT format);        // D15S1, D24S8, D24X4S4

// Bytes of one 4x4 block (DXT1 8, DXT3 16) or of one pixel (4 for the 32-bit formats).
UINT formatUnitBytes(D3DFORMAT format);

// Extent of mip level `level` of a resource whose level 0 has extent `size` (halved, floored,
// at least 1).
constexpr UINT mipExtent(UINT size, UINT level) {
    const UINT shifted = level >= 32 ? 0 : size >> level;
    return shifted ? shifted : 1;
}

// Number of levels of a full chain down to 1x1.
UINT fullMipCount(UINT width, UINT height);

// Pitch and byte size of a level as Lock reports it: rows of blocks for DXT formats.
UINT levelPitch(D3DFORMAT format, UINT width);
std::size_t levelBytes(D3DFORMAT format, UINT width, UINT height);

}  // namespace platform::d3d9

#include "platform/d3d9/format_info.h"

namespace platform::d3d9 {

bool isBlockCompressed(D3DFORMAT format) { return format == D3DFMT_DXT1 || format == D3DFMT_DXT3; }

bool isDepthFormat(D3DFORMAT format) { return depthBits(format) != 0; }

bool isColourTargetFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

UINT depthBits(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_D16:
        return 16;
    case D3DFMT_D15S1:
        return 15;
    case D3DFMT_D24X8:
    case D3DFMT_D24S8:
    case D3DFMT_D24X4S4:
        return 24;
    case D3DFMT_D32:
        return 32;
    default:
        return 0;
    }
}

bool hasStencilBits(D3DFORMAT format) {
    return format == D3DFMT_D15S1 || format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4;
}

UINT formatUnitBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_DXT1:
        return 8;
    case D3DFMT_DXT3:
        return 16;
    default:
        return 4;
    }
}

UINT fullMipCount(UINT width, UINT height) {
    UINT levels = 1;
    UINT largest = width > height ? width : height;
    while (largest > 1) {
        largest >>= 1;
        ++levels;
    }
    return levels;
}

UINT levelPitch(D3DFORMAT format, UINT width) {
    if (isBlockCompressed(format)) return ((width + 3) / 4) * formatUnitBytes(format);
    return width * formatUnitBytes(format);
}

std::size_t levelBytes(D3DFORMAT format, UINT width, UINT height) {
    const std::size_t rows = isBlockCompressed(format) ? (height + 3) / 4 : height;
    return rows * levelPitch(format, width);
}

}  // namespace platform::d3d9

#pragma once
// The table of display, back-buffer, texture and depth formats, and the adapter queries that
// pick a display mode, a back-buffer format and a depth format from it. Every query takes an
// index into l3dAdapters (an index past its end makes it fail) and asks the HAL device of
// that entry's adapter ordinal.
#include <cstdint>

#include "platform/d3d9/d3d9_enums.h"

struct L3DDEV_FORMAT_INFO {
    platform::d3d9::D3DFORMAT format;
    uint32_t colourBits;
    uint32_t depthBits;
    uint32_t stencilBits;
    bool display;  // usable as a display format
    platform::d3d9::D3DFORMAT backBuffer;
    const char* name;
};

// The name of the first row with that format, or "unknown".
const char* l3dGetFormatName(platform::d3d9::D3DFORMAT format);
// True when a row has both that format and that colour-bit count.
bool l3dIsKnownFormat(uint32_t bits, platform::d3d9::D3DFORMAT format);

// The current display mode can be read and a HAL device runs windowed in it.
bool l3dCheckWindowedDevice(uint32_t adapter);
// Bits 0: the window pairing for the current display format. Otherwise the first display row
// of those bits that has a mode of exactly width x height accepted full screen.
bool l3dFindDisplayMode(uint32_t adapter, uint32_t bits, uint32_t width, uint32_t height,
                        platform::d3d9::D3DFORMAT& display, platform::d3d9::D3DFORMAT& backBuffer);
// The back-buffer format of the first display row of that format accepted windowed.
bool l3dFindBackBufferFormat(uint32_t adapter, platform::d3d9::D3DFORMAT display,
                             platform::d3d9::D3DFORMAT& backBuffer);
// DXT1 and DXT3 textures are accepted in the mode's display format.
bool l3dCheckDxtSupport(uint32_t adapter, uint32_t bits, uint32_t width, uint32_t height);
// The first depth format of 24 bits or more accepted for the mode (never D16 or D15S1).
bool l3dFindDepthFormat(uint32_t adapter, uint32_t bits, uint32_t width, uint32_t height,
                        platform::d3d9::D3DFORMAT& depth);

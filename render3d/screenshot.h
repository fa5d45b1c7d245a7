#pragma once
#include "foundation/DImageKind.h"
#include "platform/d3d9/d3d9_enums.h"

// The pixel kind whose memory layout a back-buffer format has; false for a format that a
// screenshot cannot be written from.
bool l3dBackBufferImageKind(platform::d3d9::D3DFORMAT format, mirel::DImageKind& kind);

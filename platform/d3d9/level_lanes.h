#pragma once
// Filtering of one texture level for whole 2x2 quads (four lanes each, as a quad or a pixel
// shader batch holds them): the same arithmetic as TextureSampler's one-pixel path, in the same
// order and precision, so every lane gets the bits that path gives. The kernels come in an SSE2
// build (four lanes at a time), an AVX2 build (eight: two quads) and an AVX-512 build
// (sixteen: four quads), the widest the processor has chosen at run time; all give the same
// bits.
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/d3d9_types.h"

namespace platform::d3d9 {

// One level as the kernels read it.
struct LevelTexels {
    const std::uint32_t* texels;  // ARGB, width * height, row-major
    int width, height;
    DWORD addressU, addressV;
    std::uint32_t borderBits;  // read for BORDER texels, alpha included
    bool opaque;               // X8R8G8B8: alpha of a texel reads 1
};

// Red, green, blue and alpha of four lanes: c[channel][lane].
struct LaneColours {
    float c[4][4];
};

// Where lanes of red, green, blue and alpha go: one row per channel, lane 0 first.
struct LaneRows {
    float* channel[4];

    // Always inlined: the AVX2 and AVX-512 builds call it too, and an out-of-line copy the
    // linker kept from one of them could run on a processor without those instructions.
    [[gnu::always_inline]] LaneRows advanced(std::size_t lanes) const {
        return {{channel[0] + lanes, channel[1] + lanes, channel[2] + lanes, channel[3] + lanes}};
    }
};

inline LaneRows rowsOf(LaneColours& colours) {
    return {{colours.c[0], colours.c[1], colours.c[2], colours.c[3]}};
}

// Samples `level` at the lanes of `quads` whole quads (four lanes each; lanes 4q..4q+3 of u, v
// and out belong to quad q), limited first as the one-pixel sampler limits them.
using LevelQuadsFunction = void (*)(const LevelTexels& level, const float* u, const float* v,
                                    std::size_t quads, const LaneRows& out);

struct LevelLaneKernels {
    LevelQuadsFunction point;
    LevelQuadsFunction bilinear;
};

// The kernels for this processor.
const LevelLaneKernels& levelLaneKernels();

// Each build on its own, for tests that compare them.
const LevelLaneKernels& sse2LevelLaneKernels();
const LevelLaneKernels& avx2LevelLaneKernels();    // only on a processor with AVX2
const LevelLaneKernels& avx512LevelLaneKernels();  // only where hasAvx512()

// Whether the processor has the AVX-512 parts the sixteen-lane kernels use (F, VL, BW, DQ).
bool hasAvx512();

}  // namespace platform::d3d9

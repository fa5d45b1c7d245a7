#pragma once
// Small matrices the renderer's tests and benchmarks place things with (row vectors, as LMat).
#include "render3d/LMat.h"

namespace tessera::test {

// A move by (x, y, z).
LMat translation(float x, float y, float z);

// A turn by `degrees` about axis 0 (x), 1 (y) or 2 (z); positive turns x towards y about z.
LMat rotation(int axis, float degrees);

// A perspective projection for a 4:3 view: x scaled by 0.75, y by 1, w = z, depth 0.5 onwards.
LMat perspective43();

// A parallel projection for a 4:3 view looking along +z: x from -2 to 2 and y from -1.5 to 1.5
// fill the view, depth 0 to 10.
LMat parallel43();

}  // namespace tessera::test

#pragma once
// The demo's pictures. Backgrounds are square power-of-two images that the scripts stretch to
// the 640 x 480 screen, so they are drawn in screen coordinates and sampled at the stretch.
#include "demo/assets/canvas.h"

namespace demo {

// start/splash.png: a warm dusk with the emblem, a diamond of nine coloured tiles.
Canvas splashPicture();
// menu/title.png: a night sky with stars over a field of tiles.
Canvas titlePicture();
// menu/frames.png: the menu panel at (0, 0, 256, 128), the cursor tile at (0, 128, 32, 32), a
// sparkle at (32, 128, 32, 32) and a white block for fades at (64, 128, 16, 16), on transparent
// ground.
Canvas framesPicture();

}  // namespace demo

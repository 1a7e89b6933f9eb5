// Where SwapBuffers puts the demo's picture on the canvas.
#pragma once

namespace web {

struct Placement {
  int x = 0, y = 0, width = 0, height = 0;  // in canvas pixels, from the bottom left
};

// The largest rectangle of the picture's aspect that fits the canvas,
// centred: the rest of the canvas is the black bars. Empty when either has
// no area.
Placement Fit(int pictureWidth, int pictureHeight, int canvasWidth, int canvasHeight);

}  // namespace web

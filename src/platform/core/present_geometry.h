// Where the demo's picture goes in a drawable, and where a pointer on the
// screen falls in the picture: plain arithmetic, apart from any window system.
#pragma once

#include "platform/core/options.h"

namespace core {

// Pixels, measured from the top-left corner.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The picture's rectangle in a drawable of this size, centred: fit keeps the
// aspect ratio, integer takes the largest whole multiple (at least 1, even
// where that overflows the drawable), stretch fills it.
Rect PictureRect(Scale scale, int pictureWidth, int pictureHeight, int drawableWidth,
                 int drawableHeight);

struct ClientPoint {
  int x = 0;
  int y = 0;
};

// The picture pixel under a point given in window coordinates (which a
// scaled desktop counts in points, not pixels), clamped to the picture: a
// point on a black bar gives the nearest edge pixel.
ClientPoint PicturePoint(double windowX, double windowY, int windowWidth, int windowHeight,
                         int drawableWidth, int drawableHeight, const Rect& picture,
                         int pictureWidth, int pictureHeight);

}  // namespace core

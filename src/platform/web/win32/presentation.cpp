#include "platform/web/win32/presentation.h"

#include <cstdint>

namespace web {

Placement Fit(int pictureWidth, int pictureHeight, int canvasWidth, int canvasHeight) {
  Placement placement;
  if (pictureWidth <= 0 || pictureHeight <= 0 || canvasWidth <= 0 || canvasHeight <= 0)
    return placement;
  // Whole-number arithmetic: the side that fills the canvas is exact, the
  // other is rounded to the nearest pixel.
  const int64_t across = int64_t{canvasWidth} * pictureHeight;
  const int64_t down = int64_t{canvasHeight} * pictureWidth;
  if (across <= down) {
    placement.width = canvasWidth;
    placement.height = static_cast<int>((across + pictureWidth / 2) / pictureWidth);
  } else {
    placement.height = canvasHeight;
    placement.width = static_cast<int>((down + pictureHeight / 2) / pictureHeight);
  }
  placement.x = (canvasWidth - placement.width) / 2;
  placement.y = (canvasHeight - placement.height) / 2;
  return placement;
}

}  // namespace web

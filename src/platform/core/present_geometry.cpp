#include "platform/core/present_geometry.h"

#include <algorithm>
#include <cmath>

namespace core {
namespace {

Rect Centred(int width, int height, int drawableWidth, int drawableHeight) {
  return Rect{(drawableWidth - width) / 2, (drawableHeight - height) / 2, width, height};
}

int Clamp(double value, int size) {
  return std::clamp(static_cast<int>(std::floor(value)), 0, std::max(size - 1, 0));
}

}  // namespace

Rect PictureRect(Scale scale, int pictureWidth, int pictureHeight, int drawableWidth,
                 int drawableHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return Rect{0, 0, drawableWidth, drawableHeight};
  switch (scale) {
    case Scale::kStretch:
      return Rect{0, 0, drawableWidth, drawableHeight};
    case Scale::kInteger: {
      const int factor =
          std::max(1, std::min(drawableWidth / pictureWidth, drawableHeight / pictureHeight));
      return Centred(pictureWidth * factor, pictureHeight * factor, drawableWidth, drawableHeight);
    }
    case Scale::kFit:
      break;
  }
  // Whichever side meets the drawable first sets the size; the other is
  // rounded to the nearest pixel.
  const long long wide = static_cast<long long>(drawableWidth) * pictureHeight;
  const long long tall = static_cast<long long>(drawableHeight) * pictureWidth;
  if (wide <= tall) {
    const int height = static_cast<int>((wide + pictureWidth / 2) / pictureWidth);
    return Centred(drawableWidth, height, drawableWidth, drawableHeight);
  }
  const int width = static_cast<int>((tall + pictureHeight / 2) / pictureHeight);
  return Centred(width, drawableHeight, drawableWidth, drawableHeight);
}

ClientPoint PicturePoint(double windowX, double windowY, int windowWidth, int windowHeight,
                         int drawableWidth, int drawableHeight, const Rect& picture,
                         int pictureWidth, int pictureHeight) {
  // The centre of the drawable pixel under the point, then its place in the picture.
  const double pixelX = std::floor(windowX * drawableWidth / std::max(windowWidth, 1)) + 0.5;
  const double pixelY = std::floor(windowY * drawableHeight / std::max(windowHeight, 1)) + 0.5;
  const double x = (pixelX - picture.x) * pictureWidth / std::max(picture.width, 1);
  const double y = (pixelY - picture.y) * pictureHeight / std::max(picture.height, 1);
  return ClientPoint{Clamp(x, pictureWidth), Clamp(y, pictureHeight)};
}

}  // namespace core

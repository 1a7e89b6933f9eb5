// A picture as the capture tool passes it around: 8-bit RGB, rows top down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capture {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // width * height * 3 bytes, no row padding

  const uint8_t* Pixel(int x, int y) const {
    return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  }
};

// What the picture was read from: the significant bits of each channel (a
// 16-bit surface keeps 5, 6 and 5) and of the depth buffer.
struct SurfaceBits {
  int red = 8;
  int green = 8;
  int blue = 8;
  int depth = 0;
};

// Area-averaging reduction to a smaller size (or the same size); each output
// pixel is the mean of the source area it covers, with fractional coverage at
// its edges.
Image Downscale(const Image& source, int width, int height);

}  // namespace capture

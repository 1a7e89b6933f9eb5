// Animated GIF (GIF89a), written frame by frame: each frame gets its own
// palette of at most 255 colours by median cut, and pixels that stay as the
// previous frame showed them become transparent, inside the smallest
// rectangle that holds every change.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image.h"

namespace capture {

struct Palette {
  std::vector<uint8_t> rgb;  // 3 bytes per entry
  size_t Size() const { return rgb.size() / 3; }
};

// At most `maxColors` colours standing for the picture's, and the index of
// each pixel's nearest one. Exact when the picture has no more colours than
// that. The result depends only on the picture.
Palette Quantize(const Image& image, size_t maxColors, std::vector<uint8_t>* indices);

// The LZW code stream of GIF's image data: codes of `minCodeSize` + 1 bits and
// up, least significant bit first, before the split into sub-blocks.
std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& indices, int minCodeSize);

class GifWriter {
 public:
  // Writes the header for a looping animation of this size.
  bool Open(std::FILE* file, int width, int height, std::string* error);
  // One frame shown for `delayCentiseconds`; the picture must have the size
  // given to Open.
  bool AddFrame(const Image& image, int delayCentiseconds, std::string* error);
  // The trailer; the file stays open.
  bool Finish(std::string* error);

 private:
  bool Check(std::string* error);

  std::FILE* file = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> shown;  // what the animation shows so far, RGB
  bool first = true;
};

}  // namespace capture

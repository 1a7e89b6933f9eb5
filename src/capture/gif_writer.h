// Animated GIF, written frame by frame with giflib: each frame gets its own
// palette of at most 255 colours from libimagequant, and pixels that stay as
// the previous frame showed them become transparent, inside the smallest
// rectangle that holds every change.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/image.h"

struct GifFileType;

namespace capture {

struct Palette {
  std::vector<uint8_t> rgb;  // 3 bytes per entry
  size_t Size() const { return rgb.size() / 3; }
};

// At most `maxColors` colours standing for the picture's, and the index of
// each pixel's nearest one, without dithering. Exact when the picture has no
// more colours than that. The result depends only on the picture.
bool Quantize(const Image& image, int maxColors, Palette* palette, std::vector<uint8_t>* indices,
              std::string* error);

class GifWriter {
 public:
  GifWriter() = default;
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;
  ~GifWriter();

  // Writes the header for a looping animation of this size.
  bool Open(std::FILE* file, int width, int height, std::string* error);
  // One frame shown for `delayCentiseconds`; the picture must have the size
  // given to Open.
  bool AddFrame(const Image& image, int delayCentiseconds, std::string* error);
  // The trailer; the file stays open.
  bool Finish(std::string* error);
  // Lets go of an unfinished animation without writing to its file again.
  void Discard();

 private:
  bool Failed(int code, std::string* error);

  GifFileType* gif = nullptr;
  std::FILE* file = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> shown;  // what the animation shows so far, RGB
  bool first = true;
};

}  // namespace capture

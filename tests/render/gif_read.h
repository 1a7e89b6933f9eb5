// Reads a GIF with giflib and composes its frames as a viewer shows them, to
// check what the capture tool writes: the frames, their delays and the loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/image.h"

namespace render_test {

struct GifFrame {
  int delayCentiseconds = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool hasTransparency = false;
  size_t localColors = 0;
  capture::Image shown;  // the whole canvas after this frame, as a viewer shows it
};

struct GifAnimation {
  int width = 0;
  int height = 0;
  int loopCount = -1;  // from the NETSCAPE2.0 block; 0 loops for ever; -1 when absent
  std::vector<GifFrame> frames;
};

bool ReadGif(const std::vector<uint8_t>& bytes, GifAnimation* animation, std::string* error);

}  // namespace render_test

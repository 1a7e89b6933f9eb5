// A GIF reader written from the format's description, independent of the
// capture tool's writer, to check what the writer produces: the LZW code
// stream, the frames as a viewer composes them, their delays and the loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace render_test {

// Decodes GIF's LZW codes (least significant bit first, variable width from
// minCodeSize + 1 bits up to 12, clear and end codes). False on a malformed
// stream.
bool LzwDecode(const std::vector<uint8_t>& codes, int minCodeSize, std::vector<uint8_t>* out,
               std::string* error);

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

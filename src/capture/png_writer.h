// PNG files through libpng: 8-bit RGB with rows top down, the significant
// bits of each channel in an sBIT chunk and a few text chunks. Nothing in the
// file depends on when or where it was written, so the same picture gives
// the same bytes. Shared by F12 and the capture tool.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace capture::png {

using Text = std::vector<std::pair<std::string, std::string>>;

struct SignificantBits {
  int red = 8;
  int green = 8;
  int blue = 8;
};

// Writes the whole file to `file` (left open). False, with one line in
// `error`, when libpng or the file fails.
bool WriteRgb(std::FILE* file, int width, int height, const uint8_t* rgb,
              const SignificantBits& bits, const Text& text, std::string* error);

}  // namespace capture::png

// PNG files through libpng: 8-bit RGB, with the surface's significant bits in
// an sBIT chunk and a few text chunks (all deterministic, so two recordings
// of the same frames are the same bytes).
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "capture/image.h"

namespace capture {

using PngText = std::vector<std::pair<std::string, std::string>>;

// Writes the whole file to `file` (left open). False, with one line in
// `error`, when libpng or the file fails.
bool WritePng(std::FILE* file, const Image& image, const SurfaceBits& bits, const PngText& text,
              std::string* error);

}  // namespace capture

// Reads the PNG files plumo-capture writes: 8-bit RGB, with the surface's
// significant bits (sBIT) and text chunks.
#pragma once

#include <map>
#include <string>

#include "capture/image.h"

namespace render_test {

struct PngFrame {
  capture::Image image;
  capture::SurfaceBits bits;  // from sBIT; 8 each when the file has none
  std::map<std::string, std::string> text;
};

// False, with the reason in `error`, when the file cannot be read.
bool ReadPng(const std::string& path, PngFrame* frame, std::string* error);

}  // namespace render_test

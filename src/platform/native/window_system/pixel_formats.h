// The pixel formats the layer offers, and the one ChoosePixelFormat takes for
// a request. The demo draws into an offscreen framebuffer of the format, so
// the list is the layer's own, the same on every screen and driver, whatever
// visuals the window system has.
#pragma once

#include <vector>

namespace backend {

struct PixelFormat {
  int redBits = 0;
  int greenBits = 0;
  int blueBits = 0;
  int alphaBits = 0;
  int depthBits = 0;
  int stencilBits = 0;

  int ColorBits() const { return redBits + greenBits + blueBits + alphaBits; }
};

// What a descriptor asks for. Depth and stencil are requirements, colour a
// preference, as they are for ChoosePixelFormat.
struct PixelRequest {
  int colorBits = 0;
  int depthBits = 0;
  int stencilBits = 0;
};

// Index i + 1 is the Win32 pixel-format number of entry i. All are RGBA,
// double-buffered and drawable to a window.
const std::vector<PixelFormat>& OfferedPixelFormats();

// The closest colour at or above the request (else the largest), then the
// fewest depth and stencil bits that meet it. 0 when none does.
int ChoosePixelFormatNumber(const PixelRequest& request);

}  // namespace backend

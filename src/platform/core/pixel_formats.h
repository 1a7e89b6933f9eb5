// The pixel format ChoosePixelFormat takes for a request, from the list a
// backend offers.
#pragma once

#include <vector>

#include "platform/core/backend.h"

namespace core {

// What a descriptor asks for. Depth and stencil are requirements, colour a
// preference, as they are for ChoosePixelFormat.
struct PixelRequest {
  int colorBits = 0;
  int depthBits = 0;
  int stencilBits = 0;
};

// The closest colour at or above the request (else the largest), then the
// fewest depth and stencil bits that meet it: its number (index + 1), or 0
// when none does.
int ChoosePixelFormatNumber(const std::vector<PixelFormat>& formats, const PixelRequest& request);

// The formats an offscreen framebuffer of GL 3.0 can have: 5/6/5, 8/8/8 and
// 8/8/8/8 colour, each with no depth, 16, 24 or 32 bits of depth, and 8 bits
// of stencil packed with 24 or 32 of depth. All are RGBA, double-buffered and
// drawable to a window.
const std::vector<PixelFormat>& FramebufferPixelFormats();

}  // namespace core

// The offscreen framebuffer the demo draws into: colour, depth and stencil
// renderbuffers of exactly its pixel format and of its window's client size.
// Everything here runs with the owning context current.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/present_geometry.h"

namespace native::window_system {

using core::PixelFormat;

// A picture read back, 8-bit RGB with rows top down, and the significant
// bits of the buffers it came from.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  int redBits = 8;
  int greenBits = 8;
  int blueBits = 8;
  int depthBits = 0;
};

class Framebuffer {
 public:
  // Whether the current context has framebuffer objects (GL 3.0 or
  // ARB_framebuffer_object), its entry points loaded.
  static bool Supported();

  // (Re)makes the buffers; false when the GL cannot (the old ones are gone).
  bool Make(const PixelFormat& format, int width, int height);
  // Frees them; the context that made them must be current.
  void Release();
  bool Ready() const { return framebuffer_ != 0; }
  bool Fits(const PixelFormat& format, int width, int height) const;
  // Whether the picture is drawn with GL's window origin at the top left
  // (glClipControl), stored top row first. Window-coordinate rectangles then
  // count rows from the top, and glBitmap draws its rows downwards.
  bool TopDown() const { return topDown_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // Draw and read framebuffer both: the demo's GL calls land here.
  void Bind() const;
  // Scales the picture into framebuffer 0 at `target` (top-down, in the
  // drawable's pixels), black around it, and leaves the bindings, the
  // scissor test, the clear colour and the colour mask as it found them.
  void PresentInto(int drawableWidth, int drawableHeight, const core::Rect& target,
                   bool linear) const;
  // The picture as drawn so far (the bindings left as found).
  bool Read(Picture* picture) const;
  // Whether the colour buffer is 5/6/5, which ReadPixels565 reads as stored.
  bool Holds565() const { return Ready() && ColourIs565(format_); }
  // The picture's 5/6/5 pixels, rows top first, into `pixels` (Width() x
  // Height()); the bindings and the pack state left as found, and no GL error
  // the demo left pending taken from it.
  void ReadPixels565(uint16_t* pixels) const;
  static bool ColourIs565(const PixelFormat& format);

 private:
  unsigned framebuffer_ = 0;
  unsigned colour_ = 0;
  unsigned depth_ = 0;  // depth and stencil, packed when there is stencil
  PixelFormat format_;
  bool topDown_ = false;
  int width_ = 0;
  int height_ = 0;
};

// Reads the window's own buffers (no framebuffer object): the back buffer
// before a swap, the front one after it.
bool ReadWindowBuffer(bool front, int width, int height, Picture* picture);

}  // namespace native::window_system

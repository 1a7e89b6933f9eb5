#include "platform/core/pixel_formats.h"

#include <cstddef>
#include <tuple>

namespace core {

const std::vector<PixelFormat>& FramebufferPixelFormats() {
  static const std::vector<PixelFormat> formats = [] {
    // 5/6/5 for 16 bits, as a 16-bit Windows desktop has it.
    const PixelFormat colours[] = {{5, 6, 5, 0, 0, 0}, {8, 8, 8, 0, 0, 0}, {8, 8, 8, 8, 0, 0}};
    // What renderbuffers of GL 3.0 can hold: stencil only packed with depth.
    const int depthStencil[][2] = {{0, 0}, {16, 0}, {24, 0}, {24, 8}, {32, 0}, {32, 8}};
    std::vector<PixelFormat> list;
    for (const PixelFormat& colour : colours) {
      for (const auto& [depth, stencil] : depthStencil) {
        PixelFormat format = colour;
        format.depthBits = depth;
        format.stencilBits = stencil;
        list.push_back(format);
      }
    }
    return list;
  }();
  return formats;
}

int ChoosePixelFormatNumber(const std::vector<PixelFormat>& formats, const PixelRequest& request) {
  // Smaller is better: colour first, then depth, then stencil.
  auto key = [&](const PixelFormat& format) {
    const int bits = format.ColorBits();
    const int colour = bits >= request.colorBits ? bits - request.colorBits : 1000 - bits;
    return std::make_tuple(colour, format.depthBits, format.stencilBits);
  };
  int best = 0;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const PixelFormat& format = formats[i];
    if (format.depthBits < request.depthBits || format.stencilBits < request.stencilBits) continue;
    if (best == 0 || key(format) < key(formats[best - 1])) best = static_cast<int>(i + 1);
  }
  return best;
}

}  // namespace core

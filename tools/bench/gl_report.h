// What the frame programs print about the context they draw with, so that a
// run can tell whether two builds rasterise into the same buffers. Include it
// after the GL header.
#pragma once

#include <cstdio>

namespace bench {

inline void PrintGlReport() {
  std::printf("renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("version %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  const GLenum kinds[6] = {GL_RED_BITS,   GL_GREEN_BITS, GL_BLUE_BITS,
                           GL_ALPHA_BITS, GL_DEPTH_BITS, GL_STENCIL_BITS};
  GLint bits[6] = {};
  for (int i = 0; i < 6; ++i) glGetIntegerv(kinds[i], &bits[i]);
  std::printf("buffers R%dG%dB%dA%d depth %d stencil %d\n", bits[0], bits[1], bits[2], bits[3],
              bits[4], bits[5]);
}

}  // namespace bench

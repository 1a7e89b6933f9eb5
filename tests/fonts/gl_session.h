// A real GL context for the font tests: an Xvfb on a display it picks itself
// and an SDL window with a compatibility context, current on the test thread.
// Started on first use, so tests without GL (and death-test children) start
// no server; stopped when the tests end.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace fonts_test {

const int kWidth = 320;
const int kHeight = 240;

// Makes the context current; false (with a failure recorded) if there is none.
bool UseGl();
void DropContext();
void RestoreContext();

// Viewport the size of the window, orthographic projection in window pixels
// (depth -1 to 1), identity modelview, cleared to black, drawing in white.
void PixelSpace();

// The red channel of the back buffer, bottom row first.
std::vector<uint8_t> ReadBack();

inline bool Lit(const std::vector<uint8_t>& pixels, int x, int y) {
  return x >= 0 && y >= 0 && x < kWidth && y < kHeight && pixels[y * kWidth + x] > 127;
}

inline int LitCount(const std::vector<uint8_t>& pixels) {
  int lit = 0;
  for (uint8_t pixel : pixels) lit += pixel > 127;
  return lit;
}

}  // namespace fonts_test

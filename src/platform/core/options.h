// The layer's own settings: how a program's picture reaches the screen. The
// native program fills them from its command line before WinMain, the web
// page keeps the defaults, tests set what they try; the demo never sees them.
#pragma once

namespace core {

enum class Scale { kFit, kInteger, kStretch };

struct Options {
  bool window = false;  // show a fullscreen mode in a normal window rather than covering the screen
  Scale scale = Scale::kFit;
  bool linear = true;       // the filter when scaling (integer scaling is always nearest)
  bool switchMode = false;  // really switch the display mode, as Windows would
  int display = 0;          // the monitor, 0 the primary
  bool vsync = true;        // present no more often than the display shows
  int maxFps = 0;           // a cap on presents per second; 0 for none
  bool direct = false;      // no offscreen framebuffer: PLUMO_PRESENTATION=direct
};

// The settings in force.
Options& LayerOptions();

}  // namespace core

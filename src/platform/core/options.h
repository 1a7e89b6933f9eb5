// The layer's own settings: how a program's picture reaches the screen. The
// native program fills them from its command line before WinMain, the web
// page keeps the defaults, tests set what they try; the demo never sees them.
#pragma once

namespace core {

enum class Scale { kFit, kInteger, kStretch };

// What losing the window system's focus does to the scene clock: nothing
// (a demo is watched, not played), a pause until the focus is back, or a
// pause until the user resumes it.
enum class FocusLoss { kNever, kResume, kStay };

// A window on the desktop: its client area's size and, where `positioned`,
// its top-left, in the window system's units. No width: none known.
struct WindowPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool positioned = false;

  bool Known() const { return width > 0 && height > 0; }
};

struct Options {
  bool window = false;  // show a fullscreen mode in a normal window rather than covering the screen
  Scale scale = Scale::kFit;
  bool linear = true;       // the filter when scaling (integer scaling is always nearest)
  bool switchMode = false;  // really switch the display mode, as Windows would
  int display = 0;          // the monitor, 0 the primary
  bool vsync = true;        // adaptive where the driver has it
  bool direct = false;      // no offscreen framebuffer: PLUMO_PRESENTATION=direct
  FocusLoss pauseOnFocusLoss = FocusLoss::kNever;
  WindowPlace windowPlace;  // where a display mode first shows in a window; else centred
};

// The settings in force.
Options& LayerOptions();

}  // namespace core

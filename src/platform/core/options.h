// The layer's own settings: how a program's picture reaches the screen. The
// native program fills them from its command line before WinMain, the web
// page keeps the defaults, tests set what they try; the demo never sees them.
#pragma once

#include <cstdint>

namespace core {

enum class Scale { kFit, kInteger, kStretch };

// How SwapBuffers puts the picture on the screen; for tests and the
// benchmark, from PLUMO_PRESENTATION (unset: kAuto).
enum class Presentation {
  kAuto,    // kShared where the GL renderer is a software one, else kGl
  kGl,      // "gl": the framebuffer blitted into the window and swapped
  kShared,  // "shm": scaled on the CPU, shown from shared memory (MIT-SHM, wl_shm)
  kDirect,  // "direct": no framebuffer, the demo draws into the window (the baseline)
};

// Screensaver mode: the picture is drawn into a window another program made
// (a screensaver daemon's, one per monitor) instead of a window of the
// program's own. That window stays its owner's: the layer never shows, hides,
// moves, resizes, raises or focuses it, asks no window manager about it and
// grabs nothing; the picture is fitted into it and follows its size.
struct HostWindow {
  bool given = false;  // screensaver mode
  uint64_t id = 0;     // the window; 0 is the screen's root window
};

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
  bool vsync = true;        // present no more often than the display shows
  int maxFps = 0;           // a cap on presents per second; 0 for none
  Presentation presentation = Presentation::kAuto;

  HostWindow host;                // screensaver mode
  bool allowScreensaver = false;  // the system's screensaver and display sleep may run
  FocusLoss pauseOnFocusLoss = FocusLoss::kNever;
  WindowPlace windowPlace;  // where a display mode first shows in a window; else centred
};

// Whether the system's screensaver and display sleep are held off while the
// program runs: they are, unless the user allows them or the program is
// itself the screensaver.
inline bool HoldsOffScreensaver(const Options& options) {
  return !options.allowScreensaver && !options.host.given;
}

// The settings in force.
Options& LayerOptions();

}  // namespace core

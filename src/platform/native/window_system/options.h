// The native program's own settings: how the demo's picture reaches the
// screen. The entry point fills them from the command line before WinMain;
// the layer reads them; the demo never sees them.
#pragma once

namespace native {

enum class Scale { kFit, kInteger, kStretch };

// How SwapBuffers puts the picture on the screen; for tests and the
// benchmark, from PLUMO_PRESENTATION (unset: kAuto).
enum class Presentation {
  kAuto,    // kShared where the GL renderer is a software one, else kGl
  kGl,      // "gl": the framebuffer blitted into the window and swapped
  kShared,  // "shm": scaled on the CPU, shown from shared memory (MIT-SHM, wl_shm)
  kDirect,  // "direct": no framebuffer, the demo draws into the window (the baseline)
};

struct Options {
  bool window = false;  // start in a normal window rather than fullscreen
  Scale scale = Scale::kFit;
  bool linear = true;       // the filter when scaling (integer scaling is always nearest)
  bool switchMode = false;  // really switch the display mode, as Windows would
  int display = 0;          // the monitor, 0 the primary
  bool vsync = true;        // adaptive where the driver has it
  Presentation presentation = Presentation::kAuto;
};

// The settings in force: the defaults, with PLUMO_PRESENTATION read from the
// environment, until the entry point (or a test) changes them.
Options& LayerOptions();

// Parses the command line into `options`. Returns -1 when the program goes
// on, else the exit status it ends with: 0 after --help or --version, 2
// after a bad option (one line naming it on stderr, then the usage).
int ParseCommandLine(int argc, char** argv, Options* options);

}  // namespace native

// The native program's command line: the layer's options (core/options.h),
// which the demo never sees.
#pragma once

#include "platform/core/options.h"

namespace native {

// What the environment says: PLUMO_PRESENTATION=direct draws straight into
// the window, for comparisons in the benchmark.
void ReadEnvironment(core::Options* options);

// Parses the command line into `options`. Returns -1 when the program goes
// on, else the exit status it ends with: 0 after --help or --version, 2
// after a bad option (one line naming it on stderr, then the usage) or an
// XSCREENSAVER_WINDOW, read with --root, that is no window id (the line only).
int ParseCommandLine(int argc, char** argv, core::Options* options);

}  // namespace native

// The native program's command line and settings file: the layer's options
// (core/options.h), which the demo never sees.
#pragma once

#include <string>

#include "platform/core/options.h"

namespace native {

// What the environment says: PLUMO_PRESENTATION=gl, shm or direct forces a
// way of presenting, for tests and the benchmark.
void ReadEnvironment(core::Options* options);

// Where the options come from besides the command line, and where the
// window's place goes.
struct Settings {
  std::string configPath;     // the settings file (config_file.h); empty: none
  bool rememberPlace = true;  // false when --geometry came from the command line
};

// Parses the command line, then the settings file for the options the
// command line leaves out, into `options`. Returns -1 when the program goes
// on, else the exit status it ends with: 0 after --help or --version, 2
// after a bad option on the command line (one line naming it on stderr, then
// the usage), or an XSCREENSAVER_WINDOW, read with --root, that is no window
// id (the line only). A bad line in the file is said in one line,
// "plumo: <file>:<line>: <reason>", and its option keeps its default: the
// file may be old or hand-edited, and the program still starts.
int ParseCommandLine(int argc, char** argv, core::Options* options, Settings* settings);

// At the program's end: the window's last place into the settings file,
// where the program showed its picture in a window and the place changed.
void RememberWindowPlace(const Settings& settings, const core::Options& options);

}  // namespace native

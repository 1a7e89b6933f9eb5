// The native program's settings file. Every long option of the command line
// may be set in it, one `name = value` a line (CLI11's INI format, read in
// command_line.cpp; the command line wins), and the program keeps the last
// place of its window there:
//
//   $XDG_CONFIG_HOME/plumo/plumo.ini, else ~/.config/plumo/plumo.ini
//
// The place is written as the `geometry` line, the rest of the file kept as
// it was, so a user's own lines and comments survive; nothing given on the
// command line is ever written.
#pragma once

#include <string>

#include "platform/core/options.h"

namespace native {

// The file's path; empty when neither XDG_CONFIG_HOME (an absolute path) nor
// HOME says where it is.
std::string DefaultConfigPath();

// --geometry's syntax: "WxH" or "WxH+X+Y", where +X may be -X for a window
// left of (or above) the desktop's origin.
bool ParseGeometry(const std::string& text, core::WindowPlace* place);
std::string FormatGeometry(const core::WindowPlace& place);

// The file's text with its top-level `geometry` line set to `value`, and
// every other line as it was.
std::string WithGeometry(const std::string& text, const std::string& value);

// Sets the file's geometry, creating the folder if missing. The file is
// replaced atomically (a temporary file in the same folder, fsync, rename),
// so a crash at any moment leaves either the old file or the new one. False
// after one line on stderr, said once per process.
bool RememberGeometry(const std::string& path, const core::WindowPlace& place);

}  // namespace native

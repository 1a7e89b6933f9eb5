// The command line of plumo-capture.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

struct Options {
  int fps = 60;
  int64_t first = 0;   // first frame written
  int64_t frames = 0;  // frames written, from `first` on
  std::string outFolder;
  std::string preview;
  int previewWidth = 320;
  int previewHeight = 240;
  int previewFps = 15;
  std::string video;
  bool null = false;
  bool progress = false;
  bool reportCycles = false;
  bool help = false;
};

// The longest recording: the counter runs at 2^48 counts a second in a signed
// 64-bit value, which holds about 9 hours; the limit keeps well inside it.
const int64_t kMaxSeconds = 4 * 3600;

// Parses argv with CLI11. False, with one line in `error` (without the
// program's name), for anything it cannot take.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

std::string UsageText();

}  // namespace capture

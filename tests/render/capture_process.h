// Runs plumo-capture as a user would, and the services the checks need: a
// private folder per test, and a private Xvfb.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "private_xvfb.h"

namespace render_test {

// The capture program under test (set by the build).
std::string CaptureProgram();

struct RunResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
  // stderr without the native layer's lines, which are not the tool's.
  std::vector<std::string> ErrorLines() const;
};

struct RunOptions {
  // Variables set for the child only. DISPLAY, WAYLAND_DISPLAY and
  // SDL_VIDEODRIVER are removed unless given here, so a run is headless by
  // default.
  std::map<std::string, std::string> environment;
  std::string workingFolder;  // empty: the test's
  long fileSizeLimit = 0;     // RLIMIT_FSIZE in bytes for the child, 0 for none
};

RunResult RunCapture(const std::vector<std::string>& args, const RunOptions& options = {});

// A fresh folder under the build's temporary area, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const { return path; }
  std::string operator/(const std::string& name) const { return path + "/" + name; }

 private:
  std::string path;
};

// Every entry of a folder, hidden ones too, sorted.
std::vector<std::string> ListFolder(const std::string& folder);
std::string ReadFile(const std::string& path);

// An X server of its own, at this size and depth, stopped with the object.
using Xvfb = testsupport::PrivateXvfb;

}  // namespace render_test

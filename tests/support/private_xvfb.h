// A private X server for the C++ tests: tests/services/private_xvfb.py run as a
// command, which starts Xvfb on a display number the server picks, prints it,
// and stops the server when this object closes the command's standard input
// (or this process dies).
#pragma once

#include <sys/types.h>

#include <string>

namespace testsupport {

class PrivateXvfb {
 public:
  // Starts the server at once; Running() says whether it came up.
  PrivateXvfb(int width, int height, int depth);
  ~PrivateXvfb() { Stop(); }
  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

  bool Running() const { return helper > 0 && !display.empty(); }
  const std::string& Display() const { return display; }  // ":N"
  const std::string& Error() const { return error; }
  void Stop();

 private:
  pid_t helper = -1;
  int input = -1;  // the helper's standard input
  std::string display;
  std::string error;
};

}  // namespace testsupport

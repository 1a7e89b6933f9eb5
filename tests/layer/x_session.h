// A private X server for the layer tests, what they read back from it without
// going through the layer (modes, windows, pixels), the input a user or a
// window manager would send, and programs run beside the tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "private_xvfb.h"

namespace xtest {

struct WindowInfo {
  bool found = false;
  bool viewable = false;
  int x = 0;  // on the root window
  int y = 0;
  int width = 0;
  int height = 0;
  unsigned long id = 0;
};

class Session {
 public:
  // A private Xvfb (tests/services/private_xvfb.py); DISPLAY points at it.
  bool Start(int width, int height, int depth);
  void Stop();
  // Offers another mode on the screen's output while this session lives.
  bool AddMode(int width, int height);
  // The size of the mode the output shows now.
  int ModeWidth() { return Mode(true); }
  int ModeHeight() { return Mode(false); }
  // The top-level window with this title.
  WindowInfo FindWindow(const std::string& title);
  unsigned long Pixel(unsigned long window, int x, int y);  // 0xRRGGBB
  // The whole window as 0xRRGGBB, rows top first; empty when it cannot be read.
  std::vector<uint32_t> Pixels(unsigned long window, int width, int height);
  // What a window manager sends for the close button.
  void RequestClose(unsigned long window);
  void Resize(unsigned long window, int width, int height);
  // A white window of the session's own at (0, 0), under whatever maps later.
  unsigned long MapWhiteWindow(int width, int height);
  void DestroyOwnWindow(unsigned long window);
  // Gives the keyboard focus to a window, as a window manager does on a click.
  void Focus(unsigned long window);

 private:
  int Mode(bool width);
  std::unique_ptr<testsupport::PrivateXvfb> xvfb_;
  void* connection_ = nullptr;  // Display*; modes it added go when it closes
};

Session& Current();
int Xdotool(const std::string& arguments);

struct Child {
  int pid = -1;
  int stderrFd = -1;
};
// Runs a program; without DISPLAY in its environment when `withDisplay` is
// false. It reads no user's settings: XDG_CONFIG_HOME is an empty folder of
// the test process's own unless `environment` ("NAME=value") says otherwise.
Child Spawn(const std::string& program, const std::vector<std::string>& arguments,
            bool withDisplay = true, bool captureStderr = false,
            const std::vector<std::string>& environment = {});
// Whether the child is still running (it has not ended, nor been waited for).
bool Running(Child& child);
// Its exit status, or -1 when it died of a signal or had to be killed after
// `milliseconds`.
int WaitForExit(Child& child, int milliseconds);
std::string ReadStderr(Child& child);
std::string SelfPath();

}  // namespace xtest

// A private X server for the layer tests, and what the tests read back from
// it independently of the layer: modes, windows, pixels, synthetic input.
#pragma once

#include <string>

namespace xtest {

struct WindowInfo {
  bool found = false;
  bool viewable = false;
  int x = 0;  // position on the root window
  int y = 0;
  int width = 0;
  int height = 0;
  unsigned long id = 0;
};

struct ScreenMode {
  int width = 0;
  int height = 0;
};

class Session {
 public:
  // Starts Xvfb on a display number it picks itself, with a screen of this
  // size and depth, and points DISPLAY at it. Extra output modes are offered
  // through RandR while the session lives.
  bool Start(int width, int height, int depth);
  void Stop();
  bool running() const { return pid_ > 0; }
  const std::string& display() const { return display_; }

  // Adds a mode to the screen's output; it lasts while this session's
  // connection is open.
  bool AddMode(int width, int height);
  // The mode the output is showing now, read from the server.
  ScreenMode CurrentMode();

  // The top-level window with this title, with its geometry.
  WindowInfo FindWindow(const std::string& title);
  // The colour (0xRRGGBB) of a pixel of a window.
  unsigned long Pixel(unsigned long window, int x, int y);
  // What a window manager sends when the user clicks the close button.
  void RequestClose(unsigned long window);
  // Resizes a window from outside the program, as a user dragging it would.
  void Resize(unsigned long window, int width, int height);

 private:
  int pid_ = -1;
  std::string display_;
  void* connection_ = nullptr;  // Display*, kept open for the added modes
};

// The session of this test process, started by the test environment.
Session& Current();

// Runs xdotool with these arguments on the session's display; its status.
int Xdotool(const std::string& arguments);

}  // namespace xtest

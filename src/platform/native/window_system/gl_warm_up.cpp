#include "platform/native/window_system/gl_warm_up.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <exception>
#include <thread>

namespace native {
namespace {

struct WarmUp {
  std::thread thread;
  Display* display = nullptr;  // written by the thread, read after joining it
};

WarmUp& State() {
  static WarmUp state;
  return state;
}

}  // namespace

void StartGlWarmUp() {
  WarmUp& state = State();
  if (state.thread.joinable() || !XInitThreads()) return;
  try {
    state.thread = std::thread([&state] {
      state.display = XOpenDisplay(nullptr);
      // Asking for the extensions sets GLX up for the screen: libglvnd loads
      // the screen's vendor library, and that library its driver.
      if (state.display) glXQueryExtensionsString(state.display, DefaultScreen(state.display));
    });
  } catch (const std::exception&) {
    return;  // no thread to be had: the main thread loads the driver itself
  }
  // An early exit must not unload libraries under a thread still loading them.
  std::atexit(EndGlWarmUp);
}

void EndGlWarmUp() {
  WarmUp& state = State();
  // Xlib's handler for a lost server calls exit() on whichever thread saw
  // the loss, the warm-up's included; that thread cannot wait for itself.
  if (state.thread.joinable() && state.thread.get_id() == std::this_thread::get_id()) return;
  if (state.thread.joinable()) state.thread.join();
  if (state.display) XCloseDisplay(state.display);
  state.display = nullptr;
}

}  // namespace native

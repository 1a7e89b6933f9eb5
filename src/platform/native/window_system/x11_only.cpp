// What the layer does with X11 itself, on SDL's X11 driver only; nothing of
// it runs under Wayland.
//
// The GL warm-up: mapping and relocating the GL driver (Mesa's DRI driver and
// the LLVM library behind it) is the slowest part of the first GL window.
// SDL loads it only when its first GL window asks, on the main thread; a
// thread of the layer's own loads it while the main thread is still in SDL's
// video set-up, and lets go once SDL's connection holds it. The thread opens
// the file Mesa's loader opens for a software renderer, in the dri folder
// beside libGL (where LIBGL_DRIVERS_PATH does not name another); where
// Gallium's drivers are one file under several names, as Debian and Fedora
// ship them, that is every Gallium driver. Opening it is all the main thread
// waits for: having GLX set up a screen on a connection of its own, as the
// thread did before, cost as much again (the duplicate screen) and made the
// main thread wait for it. Where there is no such file, GLX does it that way
// still, which needs XInitThreads.
//
// A lost server: Xlib then calls its I/O error handler, which by default
// calls exit(); the exit handlers (SDL's among them) would wait forever on
// the dead connection. SDL 2 has no hint or event for a lost X server and
// the handler is Xlib's to set, so the layer sets its own: with the display
// gone there is no mode left to restore, so it says so and ends at once.
//
// The fullscreen state: SDL 2 asks the window manager for it and then waits
// up to 100 ms for the window to move twice and change size. On a bare X
// server nobody answers, and where the window already covers the monitor a
// window manager may not move it, so every switch would cost the full wait.
// The layer sends the same request and does not wait: it has already made
// the window cover the monitor, which is all a bare server needs.
//
// The frame: a window manager frames a window made bordered (a mode shown
// in a window) and says how thick the frame is in _NET_FRAME_EXTENTS. SDL
// places a window by its client area less the frame as it last heard of it,
// which for a window that was borderless is none: the frame would land where
// the client area was asked to go, and a remembered place would creep by the
// frame's thickness at every run. So the layer waits for the frame, briefly,
// and lets SDL read of it before the window is placed.
//
// The compose table: Xlib's input method, which SDL opens on X11, reads the
// locale's Compose file, some five thousand lines, to turn dead keys into
// characters. The demo takes keys as virtual-key codes and no text, so there
// is nothing to compose; parsing the file was a sixth of the main thread's
// work before the first frame. An empty file is named instead, unless the
// user names one. (Not for Wayland: libxkbcommon maps the file, which
// /dev/null refuses, and says so on stderr.)
//
// The background: SDL's windows have none, so until the first frame is
// presented, and in whatever a resize uncovers before the next one, the X
// server shows what lies behind (a window manager's frame: white under
// openbox). SDL has no call for a window's background; a black one makes
// the wait before the first frame look like the black bars around it.
#include <GL/glx.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

#include "platform/core/report.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {
namespace {

int DisplayLost(Display*) {
  core::Report(core::CallInProgress(), "the connection to the display was lost");
  _exit(1);
}

}  // namespace

void WatchForLostX11Display() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(DisplayLost);
}

void BlackenX11Background(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // Pixel 0 is black in every TrueColor visual, the only kind GL windows get.
  XSetWindowBackground(info.info.x11.display, info.info.x11.window, 0);
}

bool RequestX11Fullscreen(SDL_Window* window, bool fullscreen) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  // An unmapped window is SDL's to set up: it sets the state without waiting.
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) || !SDL_GetWindowWMInfo(window, &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  ::Display* display = info.info.x11.display;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = info.info.x11.window;
  event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = fullscreen ? 1 : 0;  // _NET_WM_STATE_ADD, _REMOVE
  event.xclient.data.l[1] =
      static_cast<long>(XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False));
  event.xclient.data.l[3] = 1;  // from a normal application
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureNotifyMask | SubstructureRedirectMask, &event);
  XFlush(display);
  return true;
}

void AwaitX11Frame(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  ::Display* display = info.info.x11.display;
  // Without a window manager nothing frames the window.
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  auto longs = [&](::Window on, Atom property, unsigned long count, long* values) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    const bool read =
        XGetWindowProperty(display, on, property, 0, static_cast<long>(count), False,
                           AnyPropertyType, &type, &format, &items, &left, &data) == Success &&
        format == 32 && items == count;
    if (read) std::memcpy(values, data, count * sizeof(long));
    if (data) XFree(data);
    return read;
  };
  long manager = 0;
  if (!longs(DefaultRootWindow(display), check, 1, &manager)) return;
  const auto deadline = SDL_GetTicks64() + 200;
  long frame[4] = {0, 0, 0, 0};
  while (!(longs(info.info.x11.window, extents, 4, frame) && (frame[0] || frame[2])) &&
         SDL_GetTicks64() < deadline) {
    SDL_Delay(5);
  }
  SDL_PumpEvents();
}

}  // namespace native::window_system

namespace native::window_system {
namespace {

struct WarmUp {
  std::thread thread;
  // Written by the thread, read after joining it.
  void* driver = nullptr;
  Display* display = nullptr;
};

WarmUp& State() {
  static WarmUp state;
  return state;
}

// Only where SDL will use X11: the driver SDL_VIDEODRIVER names, else X11
// whenever DISPLAY is set (see ChooseDrivers in sdl_backend.cpp).
bool ForX11() {
  const char* display = std::getenv("DISPLAY");
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && *driver) return std::strncmp(driver, "x11", 3) == 0;
  return display && *display;
}

// The DRI driver for a software renderer: in the first folder of
// LIBGL_DRIVERS_PATH that has it, else in the dri folder beside libGL.
std::string SoftwareDriverFile() {
  const char* path = std::getenv("LIBGL_DRIVERS_PATH");
  std::string folders = path && *path ? path : "";
  if (folders.empty()) {
    // libGL's own file, whoever else exports its names (a preloaded tracer).
    void* gl = dlopen("libGL.so.1", RTLD_LAZY | RTLD_NOLOAD);
    link_map* library = nullptr;
    if (gl && dlinfo(gl, RTLD_DI_LINKMAP, &library) == 0 && library && library->l_name) {
      const std::string file = library->l_name;
      folders = file.substr(0, file.rfind('/') + 1) + "dri";
    }
    if (gl) dlclose(gl);
    if (folders.empty()) return std::string();
  }
  for (size_t start = 0; start <= folders.size();) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/swrast_dri.so";
    if (end > start && access(candidate.c_str(), R_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

}  // namespace

void StartGlWarmUp() {
  if (!ForX11()) return;
  setenv("XCOMPOSEFILE", "/dev/null", /*overwrite=*/0);
  WarmUp& state = State();
  if (state.thread.joinable() || !XInitThreads()) return;
  try {
    state.thread = std::thread([&state] {
      const std::string driver = SoftwareDriverFile();
      // The flags Mesa's loader opens it with, so that its open finds this one.
      if (!driver.empty()) state.driver = dlopen(driver.c_str(), RTLD_NOW | RTLD_GLOBAL);
      if (state.driver) return;
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

void WaitForGlWarmUp() {
  WarmUp& state = State();
  // Xlib's handler for a lost server calls exit() on whichever thread saw
  // the loss, the warm-up's included; that thread cannot wait for itself.
  if (state.thread.joinable() && state.thread.get_id() != std::this_thread::get_id())
    state.thread.join();
}

void EndGlWarmUp() {
  WarmUp& state = State();
  if (state.thread.joinable() && state.thread.get_id() == std::this_thread::get_id()) return;
  WaitForGlWarmUp();
  if (state.display) XCloseDisplay(state.display);
  state.display = nullptr;
  if (state.driver) dlclose(state.driver);  // GLX holds it by now, where it needs it
  state.driver = nullptr;
}

}  // namespace native::window_system

// The two things of X11 the layer does itself, on SDL's X11 driver only.
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
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstring>

#include "platform/native/window_system/sdl_internal.h"

namespace backend {
namespace {

int DisplayLost(Display*) {
  const char message[] = "plumo: the connection to the display was lost\n";
  if (write(STDERR_FILENO, message, sizeof message - 1) < 0) {
    // Nothing more can be said.
  }
  _exit(1);
}

}  // namespace

void WatchForLostX11Display() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(DisplayLost);
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

}  // namespace backend

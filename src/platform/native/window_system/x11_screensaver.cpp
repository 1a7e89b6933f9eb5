// Screensaver mode on SDL's X11 driver: the picture drawn into a window of
// another program's, the host (a screensaver daemon's window, or the root
// window), which SDL adopts as a foreign GL window with its own visual.
//
// SDL asks the X server nothing about a foreign window's events, so the layer
// selects the host's structure events itself, beside whatever SDL selected
// on it (an X client's mask is one per window): the host's resizes then reach
// SDL as its own, and its destruction as an event passed on raw.
//
// The host goes when its owner says so: a daemon ends its hacks with SIGTERM
// and destroys its windows at once, so frames already on their way meet a
// window that is gone. Xlib's default error handler would end the program
// with status 1 for each; the layer's own takes errors about the host as the
// news that it has gone, and the program then ends as if its window closed.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cinttypes>

#include "platform/core/report.h"
#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {
namespace {

struct Host {
  Window id = 0;
  bool gone = false;
  bool told = false;  // the layer has heard that it has gone
  XErrorHandler previousHandler = nullptr;
};

Host& TheHost() {
  static Host host;
  return host;
}

bool lookupFailed = false;

int NoteLookupFailed(Display*, XErrorEvent*) {
  lookupFailed = true;
  return 0;
}

// A window or drawable error about the host is news that it has gone; once
// it has, any error about it is expected, and so are window errors about
// what SDL derives from its stale events (the parent it asks for to place
// a window is none by then). A window of none is also the root window's
// parent, asked for when the root window is the host.
int OnError(Display* display, XErrorEvent* error) {
  Host& host = TheHost();
  const bool aboutWindow = error->error_code == BadWindow || error->error_code == BadDrawable;
  if (host.id && error->resourceid == host.id) {
    if (aboutWindow) host.gone = true;
    if (host.gone) return 0;
  }
  if (aboutWindow && (host.gone || error->resourceid == None)) return 0;
  return host.previousHandler ? host.previousHandler(display, error) : 0;
}

}  // namespace

unsigned long FindX11Host(uint64_t id) {
  // A connection of the layer's own: SDL's is reachable only through a
  // window, and asking about a window that does not exist is an X error.
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    core::Report(core::CallInProgress(), "screensaver mode needs an X display");
    return 0;
  }
  const Window window = id ? static_cast<Window>(id) : DefaultRootWindow(display);
  XWindowAttributes attributes;
  lookupFailed = false;
  const XErrorHandler previous = XSetErrorHandler(NoteLookupFailed);
  const bool found = XGetWindowAttributes(display, window, &attributes) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  if (!found || lookupFailed) {
    core::Report(core::CallInProgress(), "there is no window 0x%" PRIx64 " to draw into", id);
    return 0;
  }
  return window;
}

void WatchX11Host(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  Host& host = TheHost();
  host.id = info.info.x11.window;
  host.gone = false;
  host.told = false;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, host.id, &attributes)) {
    XSelectInput(display, host.id, attributes.your_event_mask | StructureNotifyMask);
  }
  if (!host.previousHandler) host.previousHandler = XSetErrorHandler(OnError);
  // Its destruction comes to the layer raw, as SDL has no event for it.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  XFlush(display);
}

void NoteX11HostEvent(const SDL_SysWMmsg& message) {
  if (message.subsystem != SDL_SYSWM_X11) return;
  const XEvent& event = message.msg.x11.event;
  Host& host = TheHost();
  if (event.type == DestroyNotify && event.xdestroywindow.window == host.id && host.id)
    host.gone = true;
}

bool TakeX11HostGone() {
  Host& host = TheHost();
  // Errors about it keep coming until the program has stopped drawing; they
  // stay the handler's.
  if (!host.gone || host.told) return false;
  host.told = true;
  return true;
}

}  // namespace native::window_system

// The one thing of X11 the layer does itself. When the X server goes away,
// Xlib calls its I/O error handler and, by default, exit(); the exit handlers
// (SDL's among them) would then wait forever on the dead connection. SDL 2
// has no hint or event for a lost X server, and the handler is Xlib's to
// set, so the layer sets its own: with the display gone there is no mode
// left to restore, so it says so and ends at once. Only on SDL's X11 driver.
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

}  // namespace backend

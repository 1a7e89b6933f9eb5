// What the layer does with Wayland itself, on SDL's Wayland driver only.
//
// A lost compositor: SDL 2 reads the broken connection, notes the error in
// it and goes on as if nothing happened, so without this the program would
// keep drawing into nothing, unseen and unstoppable. With the compositor gone
// there is nothing to restore or give back, so it says so and ends at once,
// as the lost X server does (x11_only.cpp).
#include <SDL_syswm.h>
#include <unistd.h>
#include <wayland-client.h>

#include "platform/core/report.h"
#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {
namespace {

wl_display* watched = nullptr;

}  // namespace

void WatchWaylandConnection(SDL_Window* window) {
  if (watched) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_WAYLAND)
    watched = info.info.wl.display;
}

void CheckWaylandConnection() {
  if (!watched || wl_display_get_error(watched) == 0) return;
  core::Report(core::CallInProgress(), "the connection to the compositor was lost");
  _exit(1);
}

}  // namespace native::window_system

// The present without GL, for software renderers: the picture read back,
// scaled on the CPU (present_scaler.h) into memory the window system shows
// without copying it through GL. One presenter per window, on X11 through
// MIT-SHM (x11_present.cpp), on Wayland through wl_shm (wayland_present.cpp).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "platform/core/present_geometry.h"

namespace native::window_system {

class SharedPresenter {
 public:
  virtual ~SharedPresenter() = default;

  // Scales the 5/6/5 picture (rows top first) into `target` of the window's
  // drawable and hands it to the window system; what `target` leaves of the
  // drawable is black. Returns once the window system has the picture's
  // memory, without waiting for it to be shown. False when the window system
  // refused the memory, or the picture cannot be shown so here (it overflows
  // the drawable); the GL present then draws it.
  virtual bool Present(const uint16_t* picture, int pictureWidth, int pictureHeight,
                       int drawableWidth, int drawableHeight, const core::Rect& target,
                       bool linear) = 0;

  // Something else drew into the window: its bars are drawn again.
  virtual void Forget() = 0;
};

// The presenter for this window's window system; null where it has none that
// fits (not X11 or Wayland, no shared memory, a visual other than 24-bit xRGB).
std::unique_ptr<SharedPresenter> OpenX11Presenter(SDL_Window* window);
std::unique_ptr<SharedPresenter> OpenWaylandPresenter(SDL_Window* window);

}  // namespace native::window_system

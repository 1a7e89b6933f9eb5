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

// What became of a picture handed to a presenter; unless it was shown, the
// GL present draws it.
enum class Shown {
  kShown,
  kLeftToGl,  // it cannot be shown so here (it overflows the drawable)
  kRefused,   // the window system refused its memory
};

class SharedPresenter {
 public:
  virtual ~SharedPresenter() = default;

  // Scales the 5/6/5 picture (rows top first) into `target` of the window's
  // drawable and hands it to the window system; what `target` leaves of the
  // drawable is black. Returns once the window system has the picture's
  // memory, without waiting for it to be shown.
  virtual Shown Present(const uint16_t* picture, int pictureWidth, int pictureHeight,
                        int drawableWidth, int drawableHeight, const core::Rect& target,
                        bool linear) = 0;

  // Something else drew into the window: its bars are drawn again.
  virtual void Forget() = 0;
};

// The presenter for this window's window system; null where it has none that
// fits. Where the window is of that window system and a present without GL
// should have been had but cannot (no shared memory, a failed connection),
// `failure` says why; it stays null for a window it does not apply to (another
// window system, a visual other than 24-bit xRGB).
std::unique_ptr<SharedPresenter> OpenX11Presenter(SDL_Window* window, const char** failure);
std::unique_ptr<SharedPresenter> OpenWaylandPresenter(SDL_Window* window, const char** failure);

}  // namespace native::window_system

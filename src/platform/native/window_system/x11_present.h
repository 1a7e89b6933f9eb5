// The present without GL, for software renderers on SDL's X11 driver: the
// picture read back, scaled on the CPU (present_scaler.h) into shared memory
// and put into the window by the X server (MIT-SHM), on a display connection
// of the presenter's own. See x11_present.cpp for why.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

#include "platform/native/window_system/present_geometry.h"
#include "platform/native/window_system/present_scaler.h"

namespace backend {

class X11Presenter {
 public:
  X11Presenter();
  ~X11Presenter();
  X11Presenter(const X11Presenter&) = delete;
  X11Presenter& operator=(const X11Presenter&) = delete;

  // False where it cannot put pictures into this window: not on X11, no
  // shared memory with the server, or a visual other than 24-bit xRGB.
  bool Open(SDL_Window* window);

  // Scales the 5/6/5 picture (rows top first) into `target` of the window's
  // drawable and has the server put it there; what `target` leaves of the
  // drawable is made black whenever the two change. Returns once the server
  // has the picture's memory, without waiting for it to be shown. False when
  // the server refused the memory; the window is then the caller's again.
  bool Present(const uint16_t* picture, int pictureWidth, int pictureHeight, int drawableWidth,
               int drawableHeight, const native::Rect& target, bool linear);

  // Something else drew into the window: its bars are cleared at the next put.
  void Forget();

 private:
  struct Connection;
  std::unique_ptr<Connection> x_;
  PictureScaler scaler_;
};

}  // namespace backend

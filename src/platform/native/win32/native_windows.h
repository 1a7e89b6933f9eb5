// What gdi32 and wgl need to know about the windows user32 keeps: which
// window a device context belongs to, its native surface and its pixel
// format. Implemented in user32.cpp.
#pragma once

#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"

namespace native {

// The window a live device context belongs to; null for any other handle.
HWND WindowFromDC(HDC hdc);

// The window's native surface; null until it has a pixel format or is shown.
backend::Surface* SurfaceOf(HWND hwnd);

// The pixel format set on the window; 0 while none is.
int PixelFormatOf(HWND hwnd);

// Gives the window a native surface with this format's visual, re-creating
// one made earlier without a format. False, with the stderr line naming
// `call`, when the display has no such visual.
bool SetSurfaceFormat(HWND hwnd, int format, const backend::PixelFormat& pixels, const char* call);

}  // namespace native

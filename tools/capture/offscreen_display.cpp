// Headless recording on SDL's offscreen driver.
//
// That driver's display is a fixed 1024x768 desktop plus one mode of size 0x0,
// which SDL reads as "any size": SDL_SetWindowFullscreen with such a mode
// switches the display to exactly the size asked for. The native layer looks
// for a mode of the demo's 640x480 by its size only, finds none, and goes
// fullscreen at the desktop's 1024x768 instead; but the EGL pbuffer behind an
// offscreen window keeps the size it was created with, so the demo would draw
// a 1024x768 viewport into a 640x480 surface.
//
// Until the native layer takes the "any size" mode itself, the capture tool
// shows it the mode by the size the demo is switching to. The native layer's
// call is redirected here at link time (see CMakeLists.txt); nothing else
// changes, and on a real display there is no 0x0 mode to fill in.
#include <SDL.h>

#include "window/gl_window.h"

extern "C" {

int __real_SDL_GetDisplayMode(int displayIndex, int modeIndex, SDL_DisplayMode* mode);

int __wrap_SDL_GetDisplayMode(int displayIndex, int modeIndex, SDL_DisplayMode* mode) {
  const int result = __real_SDL_GetDisplayMode(displayIndex, modeIndex, mode);
  if (result != 0 || mode->w != 0 || mode->h != 0) return result;
  const GlWindow* window = GetCurrentWindow();
  if (window && window->modeWidth > 0 && window->modeHeight > 0) {
    mode->w = window->modeWidth;
    mode->h = window->modeHeight;
  }
  return result;
}

}  // extern "C"

// The GL warm-up (x11_only.cpp): the GL driver loaded on a thread of its own
// while SDL sets up video, on X11 only.
#pragma once

namespace native::window_system {

// Where SDL will use X11 (SDL_VIDEODRIVER, else DISPLAY): starts the thread,
// and names an empty compose table for Xlib unless XCOMPOSEFILE names one
// (see x11_only.cpp). Called once at program start,
// before any other thread and any Xlib call, since it sets the environment
// and makes Xlib safe for threads.
void StartGlWarmUp();

// Waits for the thread to have loaded the driver. GLX must not be set up on
// another connection meanwhile: two threads in the driver's loader at once
// can deadlock there.
void WaitForGlWarmUp();

// Waits for the thread and closes its connection. The driver stays loaded
// for as long as another connection uses it, so this belongs after GL is set
// up on the main thread. Also runs at exit; later calls do nothing.
void EndGlWarmUp();

}  // namespace native::window_system

// Mapping and relocating the GL driver (with Mesa, the DRI driver and the
// LLVM library behind it) is the slowest part of a program's first GL
// window. A thread of its own has GLX load it through a display connection
// of its own while the main thread is still in SDL's video set-up; when the
// main thread's GLX asks for the driver, it is already there.
#pragma once

#include <vector>

#include "platform/native/window_system/glx_visuals.h"

namespace native {

// Starts the thread. Called once at program start, before any other Xlib
// call, since it makes Xlib safe for threads.
void StartGlWarmUp();

// The GLX visuals of the default screen, read once per process: by the
// warm-up on its connection, or, when there was none, now on a connection of
// the layer's own, kept like the warm-up's until EndGlWarmUp. Empty when
// there is no display or no GLX.
const std::vector<GlxVisual>& GlxVisuals();

// Waits for the thread and closes its connection. The driver stays loaded
// for as long as another connection uses it, so this belongs after GL is set
// up on the main thread. Also runs at exit; later calls do nothing.
void EndGlWarmUp();

}  // namespace native

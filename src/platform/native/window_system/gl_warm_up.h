// Mapping and relocating the GL driver (with Mesa, the DRI driver and the
// LLVM library behind it) is the slowest part of a program's first GL
// window. A thread of its own has GLX load it through a display connection
// of its own while the main thread is still in SDL's video set-up; when the
// main thread's GLX asks for the driver, it is already there.
#pragma once

namespace native {

// Starts the thread. Called once at program start, before any other Xlib
// call, since it makes Xlib safe for threads.
void StartGlWarmUp();

// Waits for the thread and closes its connection. The driver stays loaded
// for as long as another connection uses it, so this belongs after GL is set
// up on the main thread. Also runs at exit; later calls do nothing.
void EndGlWarmUp();

}  // namespace native

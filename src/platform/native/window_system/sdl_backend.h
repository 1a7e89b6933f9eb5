// The window system under the native layer: an adapter of SDL2 on X11 or
// Wayland (or whatever SDL drives) for the display, native windows, their raw
// events, GL contexts and the presentation of the demo's picture. The policy
// (what a display mode does, which window a key goes to, the layer's own
// keys) is the core's; nothing of SDL is visible past this header.
//
// Every call that fails because of the platform itself (no display, no GL
// visual, no usable mode) writes one line to stderr naming the Win32 call in
// progress, so the user is never left with a silent exit.
#pragma once

#include "platform/core/backend.h"
#include "platform/native/window_system/framebuffer.h"

namespace native::window_system {

using core::DisplayMode;
using core::Event;
using core::GlContext;
using core::PixelFormat;
using core::Surface;
using core::SurfaceParams;

// Settles what SDL will read from the environment. Without a session bus,
// libdbus would fork a launcher for one from inside SDL's set-up (to ask
// about input methods and the screensaver, nothing the demo needs): slow, it
// leaves a bus daemon behind, and a fork while other threads allocate can
// leave the child stuck on an allocator lock. So it is told there is none.
// Called at program start, before any other thread: setenv is not safe
// beside threads that read the environment.
void PrepareEnvironment();

// Opens the display once per process.
bool Open();
bool IsOpen();

Surface* CreateSurface(const SurfaceParams& params);
void DestroySurface(Surface* surface);
void ShowSurface(Surface* surface, bool visible);
void MoveSurface(Surface* surface, int x, int y);
void RaiseSurface(Surface* surface);
void FocusSurface(Surface* surface);
// In the units of the window's events, and in pixels.
void SurfaceSize(Surface* surface, int* width, int* height);
void DrawableSize(Surface* surface, int* width, int* height);
// The client size changed: the framebuffer follows it, and the native window
// too where asked.
void SetPictureSize(Surface* surface, int width, int height, bool resizeWindow);

// A context for the surface's pixel format. It is not left current.
GlContext* CreateContext(Surface* surface);
// Null for both releases the thread's current context. Made current on a
// surface with a pixel format, the context draws into the surface's
// framebuffer (made here when it has none of that size yet) unless the
// presentation is direct or the GL has no framebuffer objects.
bool MakeCurrent(Surface* surface, GlContext* context);
void DeleteContext(GlContext* context);
bool IsCurrent(const GlContext* context);
// Scales the framebuffer into the window (as the options say), then swaps.
bool Present(Surface* surface);
// Whether the current context draws into a framebuffer stored top row first
// (Framebuffer::TopDown), where glBitmap lays its rows downwards.
bool CurrentDrawsTopDown();
// The picture of the surface's current context: its framebuffer, or with
// direct presentation the window's back buffer (`shown`: its front buffer).
bool ReadPicture(Surface* surface, bool shown, Picture* picture);
// F12: the picture as a PNG file, named on stderr.
void SavePictureOf(Surface* surface);

// The monitor the options name (the primary when it does not exist), and the
// mode it shows: the desktop's, unless a real switch has changed it.
int ChosenDisplay();
bool CurrentRealMode(DisplayMode* mode);
// The display's real modes, for --switch-mode; false past the last.
bool RealMode(int index, DisplayMode* mode);

// Virtual display modes: the window covers the monitor (desktop fullscreen)
// or shows the picture in a window of its own, at `width` x `height` until
// the user resizes it. The real mode never changes.
bool CoverDisplay(Surface* surface);
void ShowInWindow(Surface* surface, int width, int height);
// ... with the client area at (x, y) where that is on a monitor.
void ShowInWindowAt(Surface* surface, int x, int y, int width, int height);
// The client area's top-left, in the units of the window's events; false
// where the window system does not say.
bool WindowPosition(Surface* surface, int* x, int* y);

// The real switch (--switch-mode): fullscreen in a mode of that size when
// the display has one (any bit depth: X cannot switch depth at run time),
// else at the desktop's own size.
core::RealSwitch EnterFullscreen(Surface* surface, const DisplayMode& mode);
// Back to the desktop mode, the window at this client position and size,
// with the decorations it was made with.
void LeaveFullscreen(Surface* surface, int x, int y, int width, int height);

void ShowCursor(bool visible);

// Reads what the display has sent since the last call.
void ReadEvents();
// Blocks until the display sends something, or WakeEventWait is called.
void WaitForEvents();
// Wakes WaitForEvents; safe from any thread.
void WakeEventWait();
// The refresh rate of the surface's display in millihertz, 0 when unknown.
int64_t RefreshMilliHz(Surface* surface);
// The next event read that the core has a use for; false when none is left.
bool NextEvent(Event* event);

}  // namespace native::window_system

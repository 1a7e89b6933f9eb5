// The window system under the native layer: SDL2 on X11 (or whatever SDL
// drives). The user32, gdi32 and wgl files speak Win32 to the demo and this
// interface to the window system; nothing of SDL is visible past it.
//
// Every call that can fail because of the platform itself (no display, no
// GL visual, no usable mode) writes one line to stderr naming the Win32 call
// it serves, so the user is never left with a silent exit.
#pragma once

#include <cstdint>

#include "platform/native/window_system/framebuffer.h"
#include "platform/native/window_system/pixel_formats.h"

namespace backend {

struct Surface;    // one native window with a GL-capable visual
struct GlContext;  // one GL rendering context, with the framebuffer the demo draws into

struct SurfaceParams {
  const char* title = "";
  int x = 0;  // client area, screen coordinates
  int y = 0;
  int width = 0;  // the client size: the size of the demo's picture
  int height = 0;
  bool borderless = false;
  bool resizable = false;
  bool hasFormat = false;  // a pixel format is set: GL draws into its framebuffer
  PixelFormat format;
  void* owner = nullptr;  // handed back in the surface's events
};

// A window-system event, already in Win32 terms where that is a matter of
// table lookup (virtual-key codes, mouse buttons, client coordinates).
struct Event {
  enum Kind {
    kKeyDown,
    kKeyUp,
    kCloseRequest,
    kMoved,
    kResized,
    kMouseMove,
    kButtonDown,
    kButtonUp
  };
  Kind kind = kKeyDown;
  void* owner = nullptr;  // null for a key the window system gave no window
  int virtualKey = 0;     // keys
  bool repeat = false;
  bool alt = false;  // Alt held: Windows sends the WM_SYS* forms
  int x = 0;         // kMoved: client top-left; kResized: client size; mouse: client point
  int y = 0;
  int button = 0;     // kButtonDown/Up: 0 left, 1 right, 2 middle
  unsigned keys = 0;  // mouse: the MK_* bits after the event
};

// Settles what SDL will read from the environment. Without a session bus,
// libdbus would fork a launcher for one from inside SDL's set-up (to ask
// about input methods and the screensaver, nothing the demo needs): slow, it
// leaves a bus daemon behind, and a fork while other threads allocate can
// leave the child stuck on an allocator lock. So it is told there is none.
// Called at program start, before any other thread: setenv is not safe
// beside threads that read the environment.
void PrepareEnvironment();

// Opens the display once per process. `call` names the Win32 call for the
// stderr line when it cannot be opened.
bool Open(const char* call);
bool IsOpen();

Surface* CreateSurface(const SurfaceParams& params, const char* call);
void DestroySurface(Surface* surface);
void ShowSurface(Surface* surface, bool visible);
void MoveSurface(Surface* surface, int x, int y);
void ResizeSurface(Surface* surface, int width, int height);
void RaiseSurface(Surface* surface);
void FocusSurface(Surface* surface);
void SurfaceSize(Surface* surface, int* width, int* height);
// The client size changed: the framebuffer follows it, and so does the
// native window unless it is presenting a display mode.
void SetPictureSize(Surface* surface, int width, int height);

// A context for the surface's pixel format. It is not left current.
GlContext* CreateContext(Surface* surface, const char* call);
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

// The monitor the options name (the primary when it does not exist), and the
// mode it shows: the desktop's, unless --switch-mode has changed it.
int ChosenDisplay();
struct DisplayMode {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int refreshRate = 0;
};
bool CurrentRealMode(DisplayMode* mode);
// The display's real modes, for --switch-mode; false past the last.
bool RealMode(int index, DisplayMode* mode);

// Virtual display modes: the window covers the monitor (desktop fullscreen)
// or, in a window of its own, shows the picture at `width` x `height` until
// the user resizes it. The real mode never changes.
bool CoverDisplay(Surface* surface);
void ShowInWindow(Surface* surface, int width, int height);

enum class Fullscreen { kMode, kDesktop, kFailed };
// The real switch (--switch-mode): fullscreen in a mode of that size when
// the display has one (any bit depth: X cannot switch depth at run time),
// else at the desktop's own size.
Fullscreen EnterFullscreen(Surface* surface, int width, int height, int bitsPerPixel,
                           int refreshRate);
// Back to the desktop mode, the window at this client position and size,
// with the decorations it was made with.
void LeaveFullscreen(Surface* surface, int x, int y, int width, int height);

void ShowCursor(bool visible);

// Reads what the display has sent since the last call.
void ReadEvents();
// Takes the next event that has a Win32 meaning; false when none is left.
// The layer's own keys are handled here and never returned: Alt+Enter
// toggles a window presenting a virtual mode between covering its monitor
// and a window of its own; F12 saves the picture as a PNG file.
bool NextEvent(Event* event);

}  // namespace backend

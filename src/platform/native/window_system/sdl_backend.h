// The window system under the native layer: SDL2 on X11 (or whatever SDL
// drives). The user32, gdi32 and wgl files speak Win32 to the demo and this
// interface to the window system; nothing of SDL is visible past it.
//
// Every call that can fail because of the platform itself (no display, no
// GL visual, no usable mode) writes one line to stderr naming the Win32 call
// it serves, so the user is never left with a silent exit.
#pragma once

#include <cstdint>

namespace backend {

struct Surface;    // one native window with a GL-capable visual
struct GlContext;  // one GL rendering context

// What the pixel format asks of the visual. Depth, stencil and double
// buffering are requirements; the colour bits are a preference, as they are
// for ChoosePixelFormat.
struct PixelRequest {
  int colorBits = 0;
  int depthBits = 0;
  int stencilBits = 0;
  bool doubleBuffer = true;
};

struct SurfaceParams {
  const char* title = "";
  int x = 0;  // client area, screen coordinates
  int y = 0;
  int width = 0;
  int height = 0;
  bool borderless = false;
  bool resizable = false;
  PixelRequest pixels;
  void* owner = nullptr;  // handed back in the surface's events
};

// A window-system event, already in Win32 terms where that is a matter of
// table lookup (virtual-key codes).
struct Event {
  enum Kind { kKeyDown, kKeyUp, kCloseRequest, kMoved, kResized };
  Kind kind = kKeyDown;
  void* owner = nullptr;  // null for a key the window system gave no window
  int virtualKey = 0;     // keys
  bool repeat = false;
  bool alt = false;  // Alt held: Windows sends the WM_SYS* forms
  int x = 0;         // kMoved: client top-left; kResized: client size
  int y = 0;
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

// A context for the surface's pixel format. It is not left current.
GlContext* CreateContext(Surface* surface, const char* call);
// Null for both releases the thread's current context.
bool MakeCurrent(Surface* surface, GlContext* context);
void DeleteContext(GlContext* context);
bool IsCurrent(const GlContext* context);
bool Present(Surface* surface);

// The primary display's current mode.
bool DisplaySize(int* width, int* height);

enum class Fullscreen { kMode, kDesktop, kFailed };
// Fullscreen in a mode of that size when the display has one (any bit depth:
// X cannot switch depth at run time), else at the desktop's own size.
Fullscreen EnterFullscreen(Surface* surface, int width, int height, int bitsPerPixel,
                           int refreshRate);
// Back to the desktop mode, the window at this client position and size.
void LeaveFullscreen(Surface* surface, int x, int y, int width, int height);

void ShowCursor(bool visible);

// Reads what the display has sent since the last call.
void ReadEvents();
// Takes the next event that has a Win32 meaning; false when none is left.
bool NextEvent(Event* event);

}  // namespace backend

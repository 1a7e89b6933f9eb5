// What differs between the builds of the Win32 subset, as one table the core
// calls. The core (this folder) defines every user32, gdi32, kernel32 and WGL
// entry point once; each backend supplies the surfaces, events, GL contexts,
// faces, desktop and clock underneath:
//
//   backend   defined in                    over
//   native    src/platform/native           SDL2, FreeType, fontconfig, Mesa
//   web       src/platform/web              the browser: canvas, WebGL 2, baked faces
//   test      tests/support                 bookkeeping, a trace, injected failures
//
// Which one answers is decided at link time: each backend defines TheBackend().
// Calls come from the demo's one thread. A backend that cannot do something
// says why in one line through core::Report, naming core::CallInProgress().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/options.h"
#include "platform/platform.h"

namespace core {

struct Surface;    // a backend's native window (or stand-in for one)
struct GlContext;  // a backend's GL rendering context
struct Face;       // a backend's font face at the size one font object asked for

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int refreshRate = 0;  // Hz; 0 where the display does not say
};

// A pixel format a backend offers; number i + 1 is entry i.
struct PixelFormat {
  int redBits = 0;
  int greenBits = 0;
  int blueBits = 0;
  int alphaBits = 0;
  int depthBits = 0;
  int stencilBits = 0;

  int ColorBits() const { return redBits + greenBits + blueBits + alphaBits; }
};

struct SurfaceParams {
  const char* title = "";
  int x = 0;  // client area, screen coordinates
  int y = 0;
  int width = 0;  // the client size: the size of the demo's picture
  int height = 0;
  bool borderless = false;
  bool resizable = false;
  const PixelFormat* format = nullptr;  // null until the window has a pixel format
  // Screensaver mode: the surface is this window of another program's, with
  // its own size and place, rather than a native window of the layer's.
  const HostWindow* host = nullptr;
};

// What CreateFontA asks for, in GDI's terms.
struct FontRequest {
  std::string faceName;
  int height = 0;  // < 0: em height in pixels; > 0: cell height; 0: default
  int weight = 0;  // FW_* (0 is "don't care")
  bool italic = false;
};

// How glyph outlines become lists (wglUseFontOutlinesA).
struct OutlineStyle {
  bool polygons = true;
  float deviation = 0;  // >= 0
  float extrusion = 0;  // >= 0
};

// A gamepad's buttons by where they sit, whatever the pad prints on them.
enum GamepadButton {
  kPadSouth,
  kPadEast,
  kPadWest,
  kPadNorth,
  kPadBack,  // Back, Select, View, Share, "-"
  kPadGuide,
  kPadStart,  // Start, Menu, Options, "+"
  kPadLeftStick,
  kPadRightStick,
  kPadLeftShoulder,
  kPadRightShoulder,
  kPadUp,
  kPadDown,
  kPadLeft,
  kPadRight,
};

// A window-system event, in Win32 terms where that is a table lookup.
struct Event {
  enum Kind {
    kKeyDown,
    kKeyUp,
    kCloseRequest,  // a window's close button; with no surface, a close signal to the process
    kMoved,
    kResized,
    kPointerMove,
    kButtonDown,
    kButtonUp,
    // The surface can no longer be seen (minimised, hidden), or can again.
    // With no surface: the whole program (the web page's tab).
    kHidden,
    kShown,
    kFocusLost,  // the window system's keyboard focus left the surface
    kFocusGained,
    kGamepadButtonDown,  // a gamepad's button; `button` is a GamepadButton
    kGamepadButtonUp,
  };
  Kind kind = kKeyDown;
  Surface* surface = nullptr;  // null for a key the window system gave no window
  int virtualKey = 0;          // keys: the Win32 virtual-key code
  bool repeat = false;
  bool alt = false;  // Alt held: the WM_SYS* forms
  // kMoved: the client area's top-left; kResized: its size; pointer: the
  // window point, in the window system's units for the window.
  int x = 0;
  int y = 0;
  int button = 0;     // pointer: 0 left, 1 right, 2 middle; gamepad: a GamepadButton
  unsigned keys = 0;  // pointer: the MK_* bits after the event
};

enum class RealSwitch { kMode, kDesktopSize, kFailed };

class Backend {
 public:
  virtual ~Backend() = default;

  // ---- the display
  // Connects once; false after saying why.
  virtual bool Open() = 0;
  // The monitor's own mode, as the desktop has it.
  virtual bool DesktopMode(DisplayMode* mode) = 0;
  // The display's real modes, for a real switch; false past the last.
  virtual bool RealMode(int /*index*/, DisplayMode* /*mode*/) { return false; }
  virtual void ShowCursor(bool /*visible*/) {}

  // ---- surfaces
  virtual Surface* CreateSurface(const SurfaceParams& params) = 0;
  virtual void DestroySurface(Surface* surface) = 0;
  virtual void ShowSurface(Surface* /*surface*/, bool /*visible*/) {}
  virtual void MoveSurface(Surface* /*surface*/, int /*x*/, int /*y*/) {}
  virtual void RaiseSurface(Surface* /*surface*/) {}
  virtual void FocusSurface(Surface* /*surface*/) {}
  // The client size changed: the picture follows it, and the native window
  // too where `resizeWindow` (not while it shows a display mode).
  virtual void SetPictureSize(Surface* /*surface*/, int /*width*/, int /*height*/,
                              bool /*resizeWindow*/) {}
  // The window's size in the units of its events, and its drawable's in pixels.
  virtual void WindowSize(Surface* surface, int* width, int* height) = 0;
  virtual void DrawableSize(Surface* surface, int* width, int* height) = 0;

  // A virtual display mode is shown by covering the monitor, or in a window
  // of this size; the real mode never changes.
  virtual bool CoverDisplay(Surface* /*surface*/) { return true; }
  virtual void ShowInWindow(Surface* /*surface*/, int /*width*/, int /*height*/) {}
  // ... or in a window with its client area here (the window system's units),
  // kept where a user can reach it.
  virtual void ShowInWindowAt(Surface* surface, int x, int y, int width, int height) {
    ShowInWindow(surface, width, height);
    MoveSurface(surface, x, y);
  }
  // Where the window's client area is, in the units of its events; false
  // where the window system does not say (Wayland).
  virtual bool WindowPosition(Surface* /*surface*/, int* /*x*/, int* /*y*/) { return false; }
  // The real switch, where the backend has one (--switch-mode).
  virtual RealSwitch SwitchMode(Surface* /*surface*/, const DisplayMode& /*mode*/) {
    return RealSwitch::kFailed;
  }
  // Back to the desktop, the window at this client position and size.
  virtual void LeaveFullscreen(Surface* /*surface*/, int /*x*/, int /*y*/, int /*width*/,
                               int /*height*/) {}
  // F12: the picture as a file.
  virtual void SavePicture(Surface* /*surface*/) {}

  // ---- events: what the window system has sent since the last read, handed
  // out one at a time; false when none is left.
  virtual void ReadEvents() {}
  virtual bool NextEvent(Event* event) = 0;
  // Blocks until the window system has something to say (an event, a close
  // signal); for a program whose window cannot be seen.
  virtual void WaitForEvents() {}

  // ---- pixel formats and GL
  virtual const std::vector<PixelFormat>& PixelFormats() = 0;
  // A context for the surface's pixel format, not left current; null after saying why.
  virtual GlContext* CreateContext(Surface* surface) = 0;
  // Null for both releases the current context.
  virtual bool MakeCurrent(Surface* surface, GlContext* context) = 0;
  virtual void DeleteContext(GlContext* context) = 0;
  virtual bool IsCurrent(const GlContext* context) = 0;
  // The picture onto the surface, then the swap.
  virtual bool Present(Surface* surface) = 0;
  // The refresh rate of the display the surface is on, in millihertz; 0 where
  // the display does not say.
  virtual int64_t RefreshMilliHz(Surface* /*surface*/) { return 0; }
  // Whether presenting already keeps to the display's pace whatever the
  // driver does (the browser's animation frames); else the core paces.
  virtual bool PacesFrames() { return false; }

  // ---- fonts (a table of their own, below)
  virtual class Faces& Fonts() = 0;

  // ---- time and the process
  // The performance counter's ticks per second (0: none) and its reading.
  virtual int64_t CounterFrequency() = 0;
  virtual int64_t CounterNow() = 0;
  // A reading the program takes (QueryPerformanceCounter): the same clock,
  // unless the backend scripts the program's time (the test backend), which
  // the layer's own timing must then not disturb.
  virtual int64_t ProgramCounterNow() { return CounterNow(); }
  virtual void Sleep(DWORD milliseconds) = 0;
  // Sleeps until the counter reads `ticks` (at once when it is past).
  virtual void SleepUntil(int64_t ticks) = 0;
  virtual HMODULE ModuleHandle() = 0;
};

// What a backend's font half does under gdi32's font objects and the WGL
// glyph lists: faces resolved from requests, their advances, and display
// lists made from them in the current context.
class Faces {
 public:
  virtual ~Faces() = default;
  // Null after filling `why`.
  virtual Face* OpenFace(const FontRequest& request, std::string* why) = 0;
  virtual void CloseFace(Face* face) = 0;
  virtual bool CharWidths(Face* face, UINT first, UINT last, int* widths) = 0;
  virtual bool BuildBitmapLists(Face* face, DWORD first, DWORD count, DWORD listBase) = 0;
  virtual bool BuildOutlineLists(Face* face, DWORD first, DWORD count, DWORD listBase,
                                 const OutlineStyle& style, GLYPHMETRICSFLOAT* metrics) = 0;
  // Private font files: the faces a file brings (0, with why in the words
  // "<file> <why>"), and whether it was added.
  virtual int AddFontFile(const char* path, std::string* why) = 0;
  virtual bool RemoveFontFile(const char* path) = 0;
};

// The backend linked into this program.
Backend& TheBackend();

}  // namespace core

// The test backend: the core's Win32 entry points over bookkeeping instead of
// a window system, with a recording GL and GLU. Tests link the demo's code
// against it instead of the native layer.
//
// - Every call is recorded in order with its arguments, both as numbers and
//   as text with symbolic names ("glBegin(GL_TRIANGLES)"), through the core's
//   tracer for the Win32 calls.
// - Any call can be told to fail: the next time, or the Nth time from now.
// - The performance counter is scripted.
// - Windows, classes, device contexts, display modes, font objects and
//   contexts are the core's, the same code the native layer and the web page
//   use; messages handed to a window procedure appear in the trace as
//   "-> WM_SIZE(...)" lines.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/entry.h"
#include "platform/platform.h"

namespace fake {

struct Call {
  std::string name;
  std::vector<double> args;  // each argument's numeric value (handles as integers)
  std::string text;          // the call as it reads: name(arg, arg, ...)
};

// One recorded argument: its value and how it reads.
struct Arg {
  double value;
  std::string text;
};

Arg Int(long long value);
Arg Hex(unsigned long long value);
Arg Float(double value);
Arg Handle(const void* handle);
Arg Str(const char* text);
Arg Bool(long long value);
Arg GlEnum(unsigned value);
Arg GlBits(unsigned value);
Arg Message(unsigned message);
Arg WindowStyle(unsigned long style);
Arg ExStyle(unsigned long style);

// Symbolic names, for traces and test messages.
std::string MessageName(unsigned message);
std::string GlEnumName(unsigned value);

// The window a display mode shows in (--window, Alt+Enter): its client
// area, at the centre unless `positioned`. No width while it covers the screen.
struct ShownWindow {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool positioned = false;
};

class Platform {
 public:
  static Platform& Get();

  // Back to a fresh process: empty trace, no failures, no windows, no classes,
  // default display, counter at 0.
  void Reset();

  // ---- trace
  std::vector<Call> calls;
  bool recordDeliveries = true;  // "-> WM_..." lines for window-procedure calls
  bool recordVertices = true;    // glVertex3f/glColor3f, which a frame makes thousands of
  std::function<void(const Call&)> onCall;  // runs after each call is recorded

  size_t Count(const std::string& name) const;
  std::vector<std::string> Texts(size_t from = 0) const;
  // Calls named `name`, in order.
  std::vector<Call> Named(const std::string& name) const;
  // Index of the first call named `name` at or after `from`, or npos.
  size_t IndexOf(const std::string& name, size_t from = 0) const;
  // The trace as text, one call a line, for assertion messages.
  std::string Dump(size_t from = 0, size_t to = SIZE_MAX) const;

  // ---- failure injection
  // The nth call of `name` from now fails (1: the next one).
  void Fail(const std::string& name, int nth = 1);
  // Records a call; true when this call is one that must fail.
  bool Record(const char* name, std::initializer_list<Arg> args);
  bool Record(const char* name, const std::vector<Arg>& args);

  // ---- kernel32
  int64_t frequency = 1000000;        // 0: no high-resolution counter
  int64_t counter = 0;                // the next value QueryPerformanceCounter reads
  int64_t counterStep = 0;            // added to `counter` after each read
  std::deque<int64_t> counterScript;  // read first, in order, when not empty
  int64_t ReadCounter();

  // ---- the display: the desktop, and what the core holds
  int screenWidth = 1024;
  int screenHeight = 768;
  bool ModeSwitched() const;  // a display mode other than the desktop's is in force
  core::DisplayMode Mode() const;
  int CursorCounter() const;  // ShowCursor's display counter; the cursor shows while >= 0
  // Window-system events for the next PeekMessageA, in order.
  std::deque<core::Event> events;
  // The surface behind a window (made at its pixel format or first show).
  core::Surface* SurfaceOf(HWND hwnd) const;
  // What the core asked of the window system about its native windows, in
  // order: "CreateSurface" ("CreateSurface(host)" for screensaver mode's host
  // window), "DestroySurface", "ShowSurface", "HideSurface", "MoveSurface",
  // "ResizeSurface", "RaiseSurface", "FocusSurface", "CoverDisplay",
  // "ShowInWindow", "LeaveFullscreen", "ShowCursor".
  std::vector<std::string> windowSystem;
  // The window its display mode shows in; a test may move it as a user would.
  ShownWindow* WindowOf(HWND hwnd) const;
  bool cursorShown = true;  // as the core last told the backend

  // ---- gdi32 and wgl
  size_t LiveDeviceContexts() const;
  size_t LiveFonts() const;  // font objects created and not yet destroyed
  HGDIOBJ SelectedFont(HDC hdc) const;
  PIXELFORMATDESCRIPTOR chosenFormat{};  // the last descriptor ChoosePixelFormat saw
  int liveContexts = 0;
  bool contextCurrent = false;  // some GL context is current: GL calls reach one
  std::set<std::string> fontResources;
  int swaps = 0;
  int64_t refreshMilliHz = 60000;   // the display's rate
  std::vector<int64_t> sleptUntil;  // each deadline the layer slept until
  int eventWaits = 0;               // times the layer waited on the window system

  // ---- GL
  GLuint nextList = 1;
  std::set<GLuint> lists;  // display-list names handed out and not deleted
  int glCallsWithoutContext = 0;
  int modelviewDepth = 1;
  int projectionDepth = 1;
  int attribDepth = 0;
  GLenum matrixMode = GL_MODELVIEW;

  // The trace's text and value of one core trace argument.
  static std::vector<Arg> Decode(const std::vector<core::TraceArg>& args);

 private:
  std::map<std::string, std::vector<int>> failures_;  // name -> countdowns
};

inline Platform& Get() {
  return Platform::Get();
}

// Advance widths that GetCharWidthA reports for the fake font: distinct per
// code so a test can tell them apart.
int FakeCharWidth(unsigned code);

}  // namespace fake

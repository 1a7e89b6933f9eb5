// user32 on the native layer: windows, messages, device contexts, display
// modes and the cursor. The bookkeeping Windows does (classes, extra bytes,
// the queue, the messages around create, show, move and destroy, default
// processing) is wincore's, shared with the test fake; this file adds the
// native surface behind each window and turns window-system events into
// messages.
//
// Display modes are virtual unless the user asks for a real switch
// (--switch-mode): a window holding a mode keeps a client area of the mode's
// size while its native window covers the monitor (or sits in a window of
// its own), and the layer scales the picture onto it.
#include <map>
#include <utility>

#include "platform/core/scope_exit.h"
#include "platform/core/window_manager.h"
#include "platform/native/entry_guard.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/native_report.h"
#include "platform/native/win32/display_modes.h"
#include "platform/native/win32/native_signals.h"
#include "platform/native/win32/native_windows.h"
#include "platform/native/window_system/options.h"
#include "platform/native/window_system/sdl_backend.h"

namespace {

// What the native layer keeps beside wincore's record of a window.
struct NativeWindow {
  HDC hdc = nullptr;  // CS_OWNDC: one per window, for its whole life
  backend::Surface* surface = nullptr;
  int pixelFormat = 0;
  bool fullscreen = false;   // holds a display mode
  bool virtualMode = false;  // ... one the real display never took
  POINT windowedTopLeft{};   // where the window was before it went fullscreen
  POINT windowedSize{};      // its client size then
};

struct State {
  std::map<HWND, NativeWindow> windows;  // node-based: entries stay put while procedures run
  uintptr_t nextDC = 0;
  HWND foreground = nullptr;
  HWND focus = nullptr;
  int cursorCounter = 0;  // ShowCursor's display counter; hidden while < 0
  bool modeHeld = false;  // a virtual mode is in force
  backend::DisplayMode mode;
};

State& User() {
  static State state;
  return state;
}

wincore::WindowManager& Windows() {
  return wincore::WindowManager::Get();
}

bool Alive(HWND hwnd) {
  return hwnd && Windows().Find(hwnd) != nullptr;
}

// The native record of a live window, made on first use: a window procedure
// may ask for its DC while CreateWindowExA is still running.
NativeWindow* Record(HWND hwnd) {
  if (!Alive(hwnd)) return nullptr;
  return &User().windows[hwnd];
}

void Forget(HWND hwnd) {
  State& state = User();
  auto it = state.windows.find(hwnd);
  if (it != state.windows.end()) {
    // The DC goes with its window, and with it whatever font was selected.
    if (it->second.hdc) native::ForgetDeviceContext(it->second.hdc);
    backend::DestroySurface(it->second.surface);
    state.windows.erase(it);
  }
  if (state.foreground == hwnd) state.foreground = nullptr;
  if (state.focus == hwnd) state.focus = nullptr;
}

// Records of windows wincore no longer has (a creation its procedure refused).
void ForgetDeadWindows() {
  for (auto it = User().windows.begin(); it != User().windows.end();) {
    if (Alive(it->first)) {
      ++it;
    } else {
      HWND dead = it->first;
      ++it;
      Forget(dead);
    }
  }
}

backend::SurfaceParams ParamsFor(HWND hwnd, const backend::PixelFormat* format) {
  const wincore::Window* window = Windows().Find(hwnd);
  backend::SurfaceParams params;
  params.title = window->title.c_str();
  params.x = window->clientRect.left;
  params.y = window->clientRect.top;
  params.width = window->clientRect.right - window->clientRect.left;
  params.height = window->clientRect.bottom - window->clientRect.top;
  params.borderless = (window->style & WS_POPUP) != 0;
  params.resizable = (window->style & WS_THICKFRAME) != 0;
  params.hasFormat = format != nullptr;
  if (format) params.format = *format;
  params.owner = hwnd;
  return params;
}

// On X11 the visual is fixed when the native window is made, so the surface
// comes into being once the pixel format is known, or at the first show.
bool MakeSurface(HWND hwnd, NativeWindow& record, const backend::PixelFormat* format,
                 const char* call) {
  backend::Surface* surface = backend::CreateSurface(ParamsFor(hwnd, format), call);
  if (!surface) return false;
  const bool shown = Windows().Find(hwnd)->visible;
  backend::DestroySurface(record.surface);
  record.surface = surface;
  if (shown) backend::ShowSurface(surface, true);
  return true;
}

// The window ChangeDisplaySettingsA makes fullscreen: the foreground one, or
// else any shown window that has a surface.
HWND FullscreenTarget() {
  State& state = User();
  auto usable = [](HWND hwnd, const NativeWindow& record) {
    return record.surface && Alive(hwnd) && Windows().Find(hwnd)->visible;
  };
  auto it = state.windows.find(state.foreground);
  if (it != state.windows.end() && usable(it->first, it->second)) return it->first;
  for (const auto& [hwnd, record] : state.windows)
    if (usable(hwnd, record)) return hwnd;
  return nullptr;
}

// The size of the client area, which is also the size of the demo's picture.
POINT ClientSize(const wincore::Window& window) {
  return POINT{window.clientRect.right - window.clientRect.left,
               window.clientRect.bottom - window.clientRect.top};
}

// After wincore has placed a window: its framebuffer follows the client size.
void FollowClientSize(HWND hwnd) {
  const wincore::Window* window = Windows().Find(hwnd);
  backend::Surface* surface = native::SurfaceOf(hwnd);
  if (!window || !surface) return;
  const POINT size = ClientSize(*window);
  backend::SetPictureSize(surface, size.x, size.y);
}

void RememberWindowedPlace(NativeWindow& record, HWND hwnd) {
  if (record.fullscreen) return;
  const wincore::Window* window = Windows().Find(hwnd);
  record.windowedTopLeft = POINT{window->rect.left, window->rect.top};
  record.windowedSize = ClientSize(*window);
}

// The desktop mode as Windows describes it: 24-bit desktops count as 32.
backend::DisplayMode Desktop() {
  backend::DisplayMode desktop{640, 480, 32, 60};
  backend::CurrentRealMode(&desktop);
  if (desktop.bitsPerPixel > 16) desktop.bitsPerPixel = 32;
  return desktop;
}

backend::DisplayMode CurrentMode() {
  return User().modeHeld ? User().mode : Desktop();
}

LONG EnterVirtualMode(const DEVMODEA& request) {
  const char* call = "ChangeDisplaySettingsA";
  if (!backend::Open(call)) return DISP_CHANGE_FAILED;
  const backend::DisplayMode mode = native::RequestedMode(request, CurrentMode());
  if (!native::Lists(native::VirtualModes(Desktop()), mode)) {
    native::Report(call, "no display mode %dx%d at %d bits per pixel", mode.width, mode.height,
                   mode.bitsPerPixel);
    return DISP_CHANGE_BADMODE;
  }
  HWND hwnd = FullscreenTarget();
  if (!hwnd) {
    native::Report(call, "no shown window to show the display mode in");
    return DISP_CHANGE_FAILED;
  }
  NativeWindow& record = User().windows[hwnd];
  RememberWindowedPlace(record, hwnd);
  const bool firstMode = !record.fullscreen;
  record.fullscreen = true;
  record.virtualMode = true;
  User().modeHeld = true;
  User().mode = mode;
  // The client area is the mode's screen, at its origin.
  const wincore::Window* window = Windows().Find(hwnd);
  const RECT insets = wincore::FrameInsets(window->style, window->exStyle);
  const POINT topLeft{-insets.left, -insets.top};
  const POINT size{mode.width, mode.height};
  Windows().Place(hwnd, &topLeft, &size);
  // The procedure may have destroyed the window on hearing of it.
  backend::Surface* surface = native::SurfaceOf(hwnd);
  if (!surface) return DISP_CHANGE_SUCCESSFUL;
  FollowClientSize(hwnd);
  if (firstMode && native::LayerOptions().window) {
    backend::ShowInWindow(surface, mode.width, mode.height);
  } else if (!backend::CoverDisplay(surface)) {
    native::Report(call, "the window cannot cover the display");
  }
  return DISP_CHANGE_SUCCESSFUL;
}

LONG EnterFullscreen(const DEVMODEA& mode) {
  const char* call = "ChangeDisplaySettingsA";
  if (!backend::Open(call)) return DISP_CHANGE_FAILED;
  int width = 0;
  int height = 0;
  backend::DisplayMode desktop;
  if (backend::CurrentRealMode(&desktop)) {
    width = desktop.width;
    height = desktop.height;
  }
  if (mode.dmFields & DM_PELSWIDTH) width = static_cast<int>(mode.dmPelsWidth);
  if (mode.dmFields & DM_PELSHEIGHT) height = static_cast<int>(mode.dmPelsHeight);
  const int bits = (mode.dmFields & DM_BITSPERPEL) ? static_cast<int>(mode.dmBitsPerPel) : 0;
  const int hz =
      (mode.dmFields & DM_DISPLAYFREQUENCY) ? static_cast<int>(mode.dmDisplayFrequency) : 0;

  // SDL switches modes for a fullscreen window only.
  HWND hwnd = FullscreenTarget();
  if (!hwnd) {
    native::Report(call, "no shown window to switch the display mode for");
    return DISP_CHANGE_FAILED;
  }
  NativeWindow& record = User().windows[hwnd];
  RememberWindowedPlace(record, hwnd);
  if (backend::EnterFullscreen(record.surface, width, height, bits, hz) ==
      backend::Fullscreen::kFailed) {
    native::Report(call, "the display has no usable fullscreen mode");
    return DISP_CHANGE_BADMODE;
  }
  record.fullscreen = true;
  // The new size reaches the window through the queue, at the next
  // PeekMessageA: heard now, it would be overridden by the caller setting up
  // the size it asked for right after the switch.
  return DISP_CHANGE_SUCCESSFUL;
}

HWND NextFullscreenWindow() {
  for (const auto& [hwnd, record] : User().windows)
    if (record.fullscreen && record.surface && Alive(hwnd)) return hwnd;
  return nullptr;
}

// Back to the desktop mode, and each fullscreen window back where it was.
// One window at a time: a procedure hearing its new size may destroy windows.
void LeaveFullscreen() {
  User().modeHeld = false;
  while (HWND hwnd = NextFullscreenWindow()) {
    NativeWindow& record = User().windows[hwnd];
    record.fullscreen = false;
    record.virtualMode = false;
    Windows().Place(hwnd, &record.windowedTopLeft, &record.windowedSize);
    FollowClientSize(hwnd);
    // The procedure may have destroyed the window on hearing of it.
    if (const wincore::Window* window = Windows().Find(hwnd)) {
      const RECT& client = window->clientRect;
      backend::LeaveFullscreen(record.surface, client.left, client.top, client.right - client.left,
                               client.bottom - client.top);
    }
  }
}

// The window a close signal is meant for: the program's top-level window.
HWND TopLevelWindow() {
  State& state = User();
  if (Alive(state.foreground)) return state.foreground;
  for (const auto& entry : state.windows)
    if (Alive(entry.first)) return entry.first;
  return nullptr;
}

LPARAM KeyLParam(const backend::Event& event) {
  DWORD bits = 1;  // repeat count
  if (event.alt) bits |= 1u << 29;
  if (event.repeat || event.kind == backend::Event::kKeyUp) bits |= 1u << 30;
  if (event.kind == backend::Event::kKeyUp) bits |= 1u << 31;
  return static_cast<LPARAM>(bits);
}

void PostKey(HWND hwnd, const backend::Event& event) {
  // Alt and F10 give the system forms, as on Windows.
  const bool system = event.alt || event.virtualKey == 0x79;
  UINT message = event.kind == backend::Event::kKeyDown ? WM_KEYDOWN : WM_KEYUP;
  if (system) message = event.kind == backend::Event::kKeyDown ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  Windows().Post(hwnd, message, static_cast<WPARAM>(event.virtualKey), KeyLParam(event));
}

void PostMouse(HWND hwnd, const backend::Event& event) {
  static const UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT kUp[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  UINT message = WM_MOUSEMOVE;
  if (event.kind == backend::Event::kButtonDown) message = kDown[event.button];
  if (event.kind == backend::Event::kButtonUp) message = kUp[event.button];
  Windows().Post(hwnd, message, static_cast<WPARAM>(event.keys), MAKELPARAM(event.x, event.y));
}

// A window holding a virtual mode keeps its client area whatever its native
// window does: the picture is scaled onto it.
bool KeepsItsPlace(HWND hwnd) {
  auto it = User().windows.find(hwnd);
  return it != User().windows.end() && it->second.virtualMode;
}

void Deliver(const backend::Event& event) {
  HWND hwnd = static_cast<HWND>(event.owner);
  const bool key = event.kind == backend::Event::kKeyDown || event.kind == backend::Event::kKeyUp;
  if (!hwnd && key) hwnd = User().focus;
  const wincore::Window* window = Windows().Find(hwnd);
  if (!window) return;
  const bool placement =
      event.kind == backend::Event::kMoved || event.kind == backend::Event::kResized;
  if (placement && KeepsItsPlace(hwnd)) return;
  switch (event.kind) {
    case backend::Event::kKeyDown:
    case backend::Event::kKeyUp:
      PostKey(hwnd, event);
      break;
    case backend::Event::kCloseRequest:
      // What the close button does on Windows.
      Windows().Post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case backend::Event::kMoved: {
      const RECT insets = wincore::FrameInsets(window->style, window->exStyle);
      const POINT topLeft{event.x - insets.left, event.y - insets.top};
      Windows().Place(hwnd, &topLeft, nullptr);
      break;
    }
    case backend::Event::kResized: {
      const POINT size{event.x, event.y};
      Windows().Place(hwnd, nullptr, &size);
      FollowClientSize(hwnd);
      break;
    }
    case backend::Event::kMouseMove:
    case backend::Event::kButtonDown:
    case backend::Event::kButtonUp:
      PostMouse(hwnd, event);
      break;
  }
}

void PumpWindowSystem() {
  if (native::CloseSignalPending()) {
    // Kept pending until there is a window to close.
    if (HWND hwnd = TopLevelWindow()) {
      native::ClearCloseSignal();
      Windows().Post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
  }
  backend::ReadEvents();
  backend::Event event;
  while (backend::NextEvent(&event)) Deliver(event);
}

void ApplyCursor() {
  backend::ShowCursor(User().cursorCounter >= 0);
}

}  // namespace

namespace native {

HWND WindowFromDC(HDC hdc) {
  if (!hdc) return nullptr;
  for (const auto& [hwnd, record] : User().windows)
    if (record.hdc == hdc) return Alive(hwnd) ? hwnd : nullptr;
  return nullptr;
}

backend::Surface* SurfaceOf(HWND hwnd) {
  auto it = User().windows.find(hwnd);
  return it == User().windows.end() || !Alive(hwnd) ? nullptr : it->second.surface;
}

int PixelFormatOf(HWND hwnd) {
  auto it = User().windows.find(hwnd);
  return it == User().windows.end() ? 0 : it->second.pixelFormat;
}

bool SetSurfaceFormat(HWND hwnd, int format, const backend::PixelFormat& pixels, const char* call) {
  NativeWindow* record = Record(hwnd);
  if (!record || !MakeSurface(hwnd, *record, &pixels, call)) return false;
  record->pixelFormat = format;
  return true;
}

}  // namespace native

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) try {
  const native::EntryPoint entry(__func__);
  PumpWindowSystem();
  return Windows().Peek(msg, hwnd, filterMin, filterMax, removeMsg);
} catch (...) {
  return native::Failed(__func__, FALSE);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) try {
  const native::EntryPoint entry(__func__);
  return Windows().Dispatch(msg);
} catch (...) {
  return native::Failed(__func__, LRESULT{0});
}

BOOL WINAPI TranslateMessage(const MSG* msg) try {
  const native::EntryPoint entry(__func__);
  return Windows().Translate(msg);
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) try {
  const native::EntryPoint entry(__func__);
  return Windows().Post(hwnd, msg, wParam, lParam);
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI GetClassInfoA(HINSTANCE /*instance*/, LPCSTR className, WNDCLASSA* wndClass) try {
  const native::EntryPoint entry(__func__);
  const wincore::WindowClass* found = Windows().FindClass(className);
  if (!found || !wndClass) return FALSE;
  *wndClass = found->info;
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) try {
  const native::EntryPoint entry(__func__);
  return wndClass ? Windows().RegisterClass(*wndClass) : 0;
} catch (...) {
  return native::Failed(__func__, ATOM{0});
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) try {
  const native::EntryPoint entry(__func__);
  return Windows().UnregisterClass(className);
} catch (...) {
  return native::Failed(__func__, FALSE);
}

// The system's icons and cursors are never drawn by this layer; a distinct
// non-null handle per resource is all the demo can observe.
HICON WINAPI LoadIconA(HINSTANCE /*instance*/, LPCSTR iconName) try {
  const native::EntryPoint entry(__func__);
  return reinterpret_cast<HICON>(0x50000 + (reinterpret_cast<uintptr_t>(iconName) & 0xFFFF));
} catch (...) {
  return native::Failed(__func__, HICON{});
}

HCURSOR WINAPI LoadCursorA(HINSTANCE /*instance*/, LPCSTR cursorName) try {
  const native::EntryPoint entry(__func__);
  return reinterpret_cast<HCURSOR>(0x60000 + (reinterpret_cast<uintptr_t>(cursorName) & 0xFFFF));
} catch (...) {
  return native::Failed(__func__, HCURSOR{});
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL /*menu*/, DWORD exStyle) try {
  const native::EntryPoint entry(__func__);
  if (!rect) return FALSE;
  wincore::AddFrame(rect, style, exStyle);
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                            HINSTANCE /*instance*/, LPVOID /*param*/) try {
  const native::EntryPoint entry(__func__);
  if (!backend::Open("CreateWindowExA")) return nullptr;
  ApplyCursor();
  // However the call ends, a window the caller will not hear of is
  // destroyed, and the records of windows that did not come to be go.
  HWND made = nullptr;
  wincore::OnScopeExit cleanup([&] {
    if (made) DestroyWindow(made);
    ForgetDeadWindows();
  });
  made = Windows().CreateWindow(exStyle, className, windowName, style, x, y, width, height);
  if (!made) return nullptr;
  Record(made);
  // wincore showed a WS_VISIBLE window already; it needs its surface too.
  if ((style & WS_VISIBLE) && Alive(made)) {
    NativeWindow* record = Record(made);
    if (!record->surface && MakeSurface(made, *record, nullptr, "CreateWindowExA"))
      backend::ShowSurface(record->surface, true);
  }
  return std::exchange(made, nullptr);
} catch (...) {
  return native::Failed(__func__, HWND{});
}

BOOL WINAPI DestroyWindow(HWND hwnd) try {
  const native::EntryPoint entry(__func__);
  // The native side goes with wincore's record, even if a procedure throws.
  wincore::OnScopeExit forget([&] {
    if (!Alive(hwnd)) Forget(hwnd);
  });
  return Windows().DestroyWindow(hwnd) ? TRUE : FALSE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) try {
  const native::EntryPoint entry(__func__);
  LONG_PTR previous = 0;
  Windows().SetExtra(hwnd, index, value, &previous);
  return previous;
} catch (...) {
  return native::Failed(__func__, LONG_PTR{0});
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) try {
  const native::EntryPoint entry(__func__);
  LONG_PTR value = 0;
  Windows().GetExtra(hwnd, index, &value);
  return value;
} catch (...) {
  return native::Failed(__func__, LONG_PTR{0});
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) try {
  const native::EntryPoint entry(__func__);
  return Windows().DefaultProcessing(hwnd, msg, wParam, lParam);
} catch (...) {
  return native::Failed(__func__, LRESULT{0});
}

HDC WINAPI GetDC(HWND hwnd) try {
  const native::EntryPoint entry(__func__);
  NativeWindow* record = Record(hwnd);
  if (!record) return nullptr;
  if (!record->hdc) record->hdc = reinterpret_cast<HDC>(0x20000 + ++User().nextDC);
  return record->hdc;
} catch (...) {
  return native::Failed(__func__, HDC{});
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) try {
  const native::EntryPoint entry(__func__);
  // A window's own DC stays with it; releasing it only checks the pair.
  return hdc && native::WindowFromDC(hdc) == hwnd ? 1 : 0;
} catch (...) {
  return native::Failed(__func__, 0);
}

int WINAPI GetSystemMetrics(int index) try {
  const native::EntryPoint entry(__func__);
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  if (!backend::Open("GetSystemMetrics")) return 0;
  const backend::DisplayMode mode = CurrentMode();
  return index == SM_CXSCREEN ? mode.width : mode.height;
} catch (...) {
  return native::Failed(__func__, 0);
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND /*insertAfter*/, int x, int y, int cx, int cy,
                         UINT flags) try {
  const native::EntryPoint entry(__func__);
  const wincore::Window* window = Windows().Find(hwnd);
  if (!window) return FALSE;
  const RECT insets = wincore::FrameInsets(window->style, window->exStyle);
  const POINT topLeft{x, y};
  const POINT clientSize{cx - insets.left - insets.right, cy - insets.top - insets.bottom};
  Windows().Place(hwnd, (flags & SWP_NOMOVE) ? nullptr : &topLeft,
                  (flags & SWP_NOSIZE) ? nullptr : &clientSize);
  // The procedure may have destroyed the window while hearing of it.
  window = Windows().Find(hwnd);
  backend::Surface* surface = native::SurfaceOf(hwnd);
  // A window showing a virtual mode stays where the mode put it.
  if (window && surface && !KeepsItsPlace(hwnd)) {
    const RECT& client = window->clientRect;
    if (!(flags & SWP_NOMOVE)) backend::MoveSurface(surface, client.left, client.top);
  }
  if (!(flags & SWP_NOSIZE)) FollowClientSize(hwnd);
  if ((flags & SWP_SHOWWINDOW) && window) ShowWindow(hwnd, SW_SHOW);
  return window != nullptr;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) try {
  const native::EntryPoint entry(__func__);
  NativeWindow* record = Record(hwnd);
  if (!record) return FALSE;
  const bool visible = command != SW_HIDE;
  // A window shown before it has a pixel format gets a default visual.
  if (visible && !record->surface) MakeSurface(hwnd, *record, nullptr, "ShowWindow");
  const bool wasVisible = Windows().Show(hwnd, visible);
  if (backend::Surface* surface = native::SurfaceOf(hwnd)) backend::ShowSurface(surface, visible);
  return wasVisible ? TRUE : FALSE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) try {
  const native::EntryPoint entry(__func__);
  if (!Alive(hwnd)) return FALSE;
  User().foreground = hwnd;
  if (backend::Surface* surface = native::SurfaceOf(hwnd)) backend::RaiseSurface(surface);
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

HWND WINAPI SetFocus(HWND hwnd) try {
  const native::EntryPoint entry(__func__);
  State& state = User();
  HWND previous = Alive(state.focus) ? state.focus : nullptr;
  if (!hwnd) {
    state.focus = nullptr;
    return previous;
  }
  if (!Alive(hwnd)) return nullptr;
  state.focus = hwnd;
  if (backend::Surface* surface = native::SurfaceOf(hwnd)) backend::FocusSurface(surface);
  return previous;
} catch (...) {
  return native::Failed(__func__, HWND{});
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) try {
  const native::EntryPoint entry(__func__);
  const wincore::Window* window = Windows().Find(hwnd);
  if (!window || !rect) return FALSE;
  const POINT size = ClientSize(*window);
  *rect = RECT{0, 0, size.x, size.y};
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD /*flags*/) try {
  const native::EntryPoint entry(__func__);
  if (!mode) {
    LeaveFullscreen();
    return DISP_CHANGE_SUCCESSFUL;
  }
  return native::LayerOptions().switchMode ? EnterFullscreen(*mode) : EnterVirtualMode(*mode);
} catch (...) {
  return native::Failed(__func__, LONG{DISP_CHANGE_FAILED});
}

BOOL WINAPI EnumDisplaySettingsA(LPCSTR /*deviceName*/, DWORD modeNumber, DEVMODEA* mode) try {
  const native::EntryPoint entry(__func__);
  if (!mode || !backend::Open("EnumDisplaySettingsA")) return FALSE;
  backend::DisplayMode found;
  if (modeNumber == ENUM_CURRENT_SETTINGS || modeNumber == ENUM_REGISTRY_SETTINGS) {
    found = modeNumber == ENUM_CURRENT_SETTINGS ? CurrentMode() : Desktop();
  } else if (native::LayerOptions().switchMode) {
    if (!backend::RealMode(static_cast<int>(modeNumber), &found)) return FALSE;
  } else {
    const std::vector<backend::DisplayMode> modes = native::VirtualModes(Desktop());
    if (modeNumber >= modes.size()) return FALSE;
    found = modes[modeNumber];
  }
  native::Describe(found, mode);
  return TRUE;
} catch (...) {
  return native::Failed(__func__, FALSE);
}

int WINAPI ShowCursor(BOOL show) try {
  const native::EntryPoint entry(__func__);
  const int counter = User().cursorCounter += show ? 1 : -1;
  ApplyCursor();
  return counter;
} catch (...) {
  return native::Failed(__func__, User().cursorCounter);
}

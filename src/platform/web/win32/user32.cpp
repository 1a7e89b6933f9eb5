// user32 in the web page. The bookkeeping Windows does (classes, extra bytes,
// the queue, the messages around create, show, move and destroy, default
// processing) is wincore's, as in the native layer; this file adds the
// device contexts, the display modes and the browser's key events.
//
// The screen is the canvas: its drawing buffer's size is the desktop's mode.
// Display modes are virtual, as in the native layer by default: a mode from
// the list succeeds without changing anything the browser shows, and the
// window keeps a client area of the size it asked for.
#include <map>

#include "platform/core/window_manager.h"
#include "platform/web/browser.h"
#include "platform/web/win32/virtual_keys.h"
#include "platform/web/win32/web_layer.h"

namespace {

struct WebWindow {
  HDC hdc = nullptr;  // CS_OWNDC: one per window, for its whole life
  int pixelFormat = 0;
};

struct State {
  std::map<HWND, WebWindow> windows;
  uintptr_t nextDC = 0;
  HWND focus = nullptr;
  int cursorCounter = 0;              // ShowCursor's display counter; hidden while < 0
  int modeWidth = 0, modeHeight = 0;  // 0 while the desktop's mode is in force
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

WebWindow* Record(HWND hwnd) {
  if (!Alive(hwnd)) return nullptr;
  return &User().windows[hwnd];
}

void ForgetDeadWindows() {
  State& state = User();
  for (auto it = state.windows.begin(); it != state.windows.end();) {
    if (Alive(it->first)) {
      ++it;
    } else {
      if (state.focus == it->first) state.focus = nullptr;
      it = state.windows.erase(it);
    }
  }
}

// The modes ChangeDisplaySettingsA accepts, at 16 or 32 bits per pixel.
bool VirtualMode(DWORD width, DWORD height, DWORD bits) {
  const bool size = (width == 640 && height == 480) || (width == 800 && height == 600) ||
                    (width == 1024 && height == 768);
  return size && (bits == 16 || bits == 32);
}

// The canvas's drawing buffer: what the page calls its screen.
void DesktopSize(int* width, int* height) {
  plumo_canvas_size(width, height);
}

LPARAM KeyLParam(int kind, bool repeat, bool alt) {
  DWORD bits = 1;  // repeat count
  if (alt) bits |= 1u << 29;
  if (repeat || kind == web::kKeyUp) bits |= 1u << 30;
  if (kind == web::kKeyUp) bits |= 1u << 31;
  return static_cast<LPARAM>(bits);
}

// The browser's key events become key messages for the focus window, as the
// native layer turns the window system's.
void PumpBrowserEvents() {
  char code[64];
  int repeat = 0, alt = 0;
  while (int kind = plumo_next_event(code, sizeof code, &repeat, &alt)) {
    const unsigned key = web::VirtualKeyFromCode(code);
    HWND hwnd = User().focus;
    if (!key || !Alive(hwnd)) continue;
    // Alt and F10 give the system forms, as on Windows.
    const bool system = alt || key == 0x79;
    UINT message = kind == web::kKeyDown ? WM_KEYDOWN : WM_KEYUP;
    if (system) message = kind == web::kKeyDown ? WM_SYSKEYDOWN : WM_SYSKEYUP;
    Windows().Post(hwnd, message, key, KeyLParam(kind, repeat != 0, alt != 0));
  }
}

}  // namespace

namespace web {

HWND WindowFromDC(HDC hdc) {
  if (!hdc) return nullptr;
  for (const auto& [hwnd, record] : User().windows)
    if (record.hdc == hdc) return Alive(hwnd) ? hwnd : nullptr;
  return nullptr;
}

bool ClientSize(HWND hwnd, int* width, int* height) {
  const wincore::Window* window = Windows().Find(hwnd);
  if (!window) return false;
  *width = window->clientRect.right - window->clientRect.left;
  *height = window->clientRect.bottom - window->clientRect.top;
  return true;
}

int PixelFormatOf(HWND hwnd) {
  const WebWindow* record = Record(hwnd);
  return record ? record->pixelFormat : 0;
}

bool SetPixelFormatOf(HWND hwnd, int format) {
  WebWindow* record = Record(hwnd);
  // A window's pixel format is set once for its life.
  if (!record || record->pixelFormat != 0) return false;
  record->pixelFormat = format;
  return true;
}

}  // namespace web

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  PumpBrowserEvents();
  return Windows().Peek(msg, hwnd, filterMin, filterMax, removeMsg);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  return Windows().Dispatch(msg);
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  return Windows().Translate(msg);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Windows().Post(hwnd, msg, wParam, lParam);
}

BOOL WINAPI GetClassInfoA(HINSTANCE /*instance*/, LPCSTR className, WNDCLASSA* wndClass) {
  const wincore::WindowClass* found = Windows().FindClass(className);
  if (!found || !wndClass) return FALSE;
  *wndClass = found->info;
  return TRUE;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
  return wndClass ? Windows().RegisterClass(*wndClass) : 0;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) {
  return Windows().UnregisterClass(className);
}

// The page draws no icons or system cursors; a distinct non-null handle per
// resource is all the demo can observe.
HICON WINAPI LoadIconA(HINSTANCE /*instance*/, LPCSTR iconName) {
  return reinterpret_cast<HICON>(0x50000 + (reinterpret_cast<uintptr_t>(iconName) & 0xFFFF));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE /*instance*/, LPCSTR cursorName) {
  return reinterpret_cast<HCURSOR>(0x60000 + (reinterpret_cast<uintptr_t>(cursorName) & 0xFFFF));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL /*menu*/, DWORD exStyle) {
  if (!rect) return FALSE;
  wincore::AddFrame(rect, style, exStyle);
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                            HINSTANCE /*instance*/, LPVOID /*param*/) {
  HWND hwnd = Windows().CreateWindow(exStyle, className, windowName, style, x, y, width, height);
  ForgetDeadWindows();
  if (hwnd) Record(hwnd);
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
  if (!Windows().DestroyWindow(hwnd)) return FALSE;
  ForgetDeadWindows();
  return TRUE;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  LONG_PTR previous = 0;
  Windows().SetExtra(hwnd, index, value, &previous);
  return previous;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
  LONG_PTR value = 0;
  Windows().GetExtra(hwnd, index, &value);
  return value;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Windows().DefaultProcessing(hwnd, msg, wParam, lParam);
}

HDC WINAPI GetDC(HWND hwnd) {
  WebWindow* record = Record(hwnd);
  if (!record) return nullptr;
  if (!record->hdc) record->hdc = reinterpret_cast<HDC>(0x20000 + ++User().nextDC);
  return record->hdc;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
  // A window's own DC stays with it; releasing it only checks the pair.
  return hdc && web::WindowFromDC(hdc) == hwnd ? 1 : 0;
}

int WINAPI GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  int width = User().modeWidth, height = User().modeHeight;
  if (width == 0) DesktopSize(&width, &height);
  return index == SM_CXSCREEN ? width : height;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND /*insertAfter*/, int x, int y, int cx, int cy,
                         UINT flags) {
  const wincore::Window* window = Windows().Find(hwnd);
  if (!window) return FALSE;
  const RECT insets = wincore::FrameInsets(window->style, window->exStyle);
  const POINT topLeft{x, y};
  const POINT clientSize{cx - insets.left - insets.right, cy - insets.top - insets.bottom};
  Windows().Place(hwnd, (flags & SWP_NOMOVE) ? nullptr : &topLeft,
                  (flags & SWP_NOSIZE) ? nullptr : &clientSize);
  // The procedure may have destroyed the window while hearing of it.
  if ((flags & SWP_SHOWWINDOW) && Alive(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return Alive(hwnd);
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
  if (!Record(hwnd)) return FALSE;
  return Windows().Show(hwnd, command != SW_HIDE) ? TRUE : FALSE;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
  return Alive(hwnd) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hwnd) {
  State& state = User();
  HWND previous = Alive(state.focus) ? state.focus : nullptr;
  if (hwnd && !Alive(hwnd)) return nullptr;
  state.focus = hwnd;
  return previous;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD /*flags*/) {
  State& state = User();
  if (!mode) {
    state.modeWidth = state.modeHeight = 0;
    return DISP_CHANGE_SUCCESSFUL;
  }
  const DWORD width = (mode->dmFields & DM_PELSWIDTH) ? mode->dmPelsWidth : 640;
  const DWORD height = (mode->dmFields & DM_PELSHEIGHT) ? mode->dmPelsHeight : 480;
  const DWORD bits = (mode->dmFields & DM_BITSPERPEL) ? mode->dmBitsPerPel : 32;
  if (!VirtualMode(width, height, bits)) return DISP_CHANGE_BADMODE;
  state.modeWidth = static_cast<int>(width);
  state.modeHeight = static_cast<int>(height);
  return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
  const int counter = User().cursorCounter += show ? 1 : -1;
  plumo_show_cursor(counter >= 0);
  return counter;
}

// user32 on the fake: each call is recorded, may be made to fail, and
// otherwise does what Windows does through the shared window manager.
#include "fake_platform.h"
#include "platform/core/window_manager.h"

using fake::Bool;
using fake::ExStyle;
using fake::Get;
using fake::Handle;
using fake::Hex;
using fake::Int;
using fake::Message;
using fake::Str;
using fake::WindowStyle;

namespace {

wincore::WindowManager& Windows() {
  return wincore::WindowManager::Get();
}

// A window's own device context goes with it, however it went: destroyed,
// or refused or destroyed during its creation.
void ForgetDeviceContextsOfDeadWindows() {
  auto& contexts = Get().deviceContexts;
  for (auto it = contexts.begin(); it != contexts.end();)
    it = Windows().Find(it->second) ? std::next(it) : contexts.erase(it);
}

}  // namespace

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (Get().Record("PeekMessageA",
                   {Handle(msg), Handle(hwnd), Int(filterMin), Int(filterMax), Int(removeMsg)}))
    return FALSE;
  return Windows().Peek(msg, hwnd, filterMin, filterMax, removeMsg);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  Get().Record("DispatchMessageA", {Message(msg->message), Handle(msg->hwnd), Hex(msg->wParam),
                                    Hex(static_cast<unsigned long long>(msg->lParam))});
  return Windows().Dispatch(msg);
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  Get().Record("TranslateMessage", {Message(msg->message), Hex(msg->wParam)});
  return Windows().Translate(msg);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (Get().Record("PostMessageA", {Handle(hwnd), Message(msg), Hex(wParam),
                                    Hex(static_cast<unsigned long long>(lParam))}))
    return FALSE;
  return Windows().Post(hwnd, msg, wParam, lParam);
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* wndClass) {
  if (Get().Record("GetClassInfoA", {Handle(instance), Str(className), Handle(wndClass)}))
    return FALSE;
  const wincore::WindowClass* found = Windows().FindClass(className);
  if (!found) return FALSE;
  *wndClass = found->info;
  return TRUE;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (Get().Record("RegisterClassA",
                   {Hex(wc->style), Handle(reinterpret_cast<const void*>(wc->lpfnWndProc)),
                    Int(wc->cbClsExtra), Int(wc->cbWndExtra), Handle(wc->hInstance),
                    Handle(wc->hIcon), Handle(wc->hCursor), Handle(wc->hbrBackground),
                    Str(wc->lpszMenuName), Str(wc->lpszClassName)}))
    return 0;
  return Windows().RegisterClass(*wc);
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  if (Get().Record("UnregisterClassA", {Str(className), Handle(instance)})) return FALSE;
  return Windows().UnregisterClass(className);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  if (Get().Record("LoadIconA", {Handle(instance), Str(iconName)})) return nullptr;
  return reinterpret_cast<HICON>(0x50000 + reinterpret_cast<uintptr_t>(iconName));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  if (Get().Record("LoadCursorA", {Handle(instance), Str(cursorName)})) return nullptr;
  return reinterpret_cast<HCURSOR>(0x60000 + reinterpret_cast<uintptr_t>(cursorName));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (Get().Record("AdjustWindowRectEx",
                   {Int(rect->left), Int(rect->top), Int(rect->right), Int(rect->bottom),
                    WindowStyle(style), Bool(menu), ExStyle(exStyle)}))
    return FALSE;
  wincore::AddFrame(rect, style, exStyle);
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  if (Get().Record(
          "CreateWindowExA",
          {ExStyle(exStyle), Str(className), Str(windowName), WindowStyle(style), Int(x), Int(y),
           Int(width), Int(height), Handle(parent), Handle(menu), Handle(instance), Handle(param)}))
    return nullptr;
  HWND hwnd = Windows().CreateWindow(exStyle, className, windowName, style, x, y, width, height);
  if (!hwnd) ForgetDeviceContextsOfDeadWindows();
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
  if (Get().Record("DestroyWindow", {Handle(hwnd)})) return FALSE;
  if (!Windows().DestroyWindow(hwnd)) return FALSE;
  ForgetDeviceContextsOfDeadWindows();
  return TRUE;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  if (Get().Record("SetWindowLongPtrA",
                   {Handle(hwnd), Int(index), Hex(static_cast<unsigned long long>(value))}))
    return 0;
  LONG_PTR previous = 0;
  Windows().SetExtra(hwnd, index, value, &previous);
  return previous;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
  if (Get().Record("GetWindowLongPtrA", {Handle(hwnd), Int(index)})) return 0;
  LONG_PTR value = 0;
  Windows().GetExtra(hwnd, index, &value);
  return value;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Get().Record("DefWindowProcA", {Handle(hwnd), Message(msg), Hex(wParam),
                                  Hex(static_cast<unsigned long long>(lParam))});
  return Windows().DefaultProcessing(hwnd, msg, wParam, lParam);
}

HDC WINAPI GetDC(HWND hwnd) {
  if (Get().Record("GetDC", {Handle(hwnd)}) || !Windows().Find(hwnd)) return nullptr;
  // CS_OWNDC: one device context per window, the same on every call.
  for (const auto& [hdc, owner] : Get().deviceContexts)
    if (owner == hwnd) return hdc;
  HDC hdc = reinterpret_cast<HDC>(0x20000 + ++Get().nextHandle);
  Get().deviceContexts[hdc] = hwnd;
  return hdc;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
  if (Get().Record("ReleaseDC", {Handle(hwnd), Handle(hdc)})) return 0;
  auto it = Get().deviceContexts.find(hdc);
  return it != Get().deviceContexts.end() && it->second == hwnd && Windows().Find(hwnd) ? 1 : 0;
}

int WINAPI GetSystemMetrics(int index) {
  Get().Record("GetSystemMetrics",
               {{static_cast<double>(index), index == SM_CXSCREEN   ? "SM_CXSCREEN"
                                             : index == SM_CYSCREEN ? "SM_CYSCREEN"
                                                                    : std::to_string(index)}});
  if (index == SM_CXSCREEN) return Get().modeWidth;
  if (index == SM_CYSCREEN) return Get().modeHeight;
  return 0;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (Get().Record("SetWindowPos", {Handle(hwnd), Handle(insertAfter), Int(x), Int(y), Int(cx),
                                    Int(cy), Hex(flags)}))
    return FALSE;
  wincore::Window* window = Windows().Find(hwnd);
  if (!window) return FALSE;
  const RECT insets = wincore::FrameInsets(window->style, window->exStyle);
  const POINT topLeft{x, y};
  const POINT clientSize{cx - insets.left - insets.right, cy - insets.top - insets.bottom};
  return Windows().Place(hwnd, (flags & SWP_NOMOVE) ? nullptr : &topLeft,
                         (flags & SWP_NOSIZE) ? nullptr : &clientSize);
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
  Get().Record("ShowWindow",
               {Handle(hwnd),
                {static_cast<double>(command), command == SW_SHOWNORMAL ? "SW_SHOWNORMAL"
                                               : command == SW_HIDE     ? "SW_HIDE"
                                                                    : std::to_string(command)}});
  return Windows().Show(hwnd, command != SW_HIDE);
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
  if (Get().Record("SetForegroundWindow", {Handle(hwnd)})) return FALSE;
  return Windows().Find(hwnd) != nullptr;
}

HWND WINAPI SetFocus(HWND hwnd) {
  if (Get().Record("SetFocus", {Handle(hwnd)})) return nullptr;
  return nullptr;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  fake::Platform& platform = Get();
  bool fail;
  if (mode) {
    fail = platform.Record("ChangeDisplaySettingsA",
                           {Int(mode->dmSize), Int(mode->dmPelsWidth), Int(mode->dmPelsHeight),
                            Int(mode->dmBitsPerPel), Hex(mode->dmFields), Hex(flags)});
  } else {
    fail = platform.Record("ChangeDisplaySettingsA", {Handle(nullptr), Hex(flags)});
  }
  if (fail) return DISP_CHANGE_FAILED;
  if (mode) {
    platform.modeWidth = static_cast<int>(mode->dmPelsWidth);
    platform.modeHeight = static_cast<int>(mode->dmPelsHeight);
    platform.modeBits = static_cast<int>(mode->dmBitsPerPel);
    platform.modeSwitched = true;
  } else {
    platform.modeWidth = platform.screenWidth;
    platform.modeHeight = platform.screenHeight;
    platform.modeBits = 32;
    platform.modeSwitched = false;
  }
  return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show) {
  Get().Record("ShowCursor", {Bool(show)});
  return Get().cursorCounter += show ? 1 : -1;
}

// user32: classes, windows, extra bytes, device contexts, messages and
// default processing. The bookkeeping Windows does is the window manager's;
// these entry points add the backend's surface behind each window.
#include <utility>

#include "platform/core/cursor_presentation.h"
#include "platform/core/entry.h"
#include "platform/core/layer_windows.h"
#include "platform/core/scope_exit.h"
#include "platform/core/window_place.h"

namespace core {

UserState& User() {
  static UserState state;
  return state;
}

HWND WindowFromDC(HDC hdc) {
  if (!hdc) return nullptr;
  HWND found = nullptr;
  Windows().ForEach([&](const Window& window) {
    if (window.hdc == hdc) found = window.handle;
  });
  return found;
}

Surface* SurfaceOf(HWND hwnd) {
  const Window* window = Windows().Find(hwnd);
  return window ? window->surface : nullptr;
}

HWND WindowOf(const Surface* surface) {
  if (!surface) return nullptr;
  HWND found = nullptr;
  Windows().ForEach([&](const Window& window) {
    if (window.surface == surface) found = window.handle;
  });
  return found;
}

POINT ClientSize(const Window& window) {
  return POINT{window.clientRect.right - window.clientRect.left,
               window.clientRect.bottom - window.clientRect.top};
}

void FollowClientSize(HWND hwnd) {
  const Window* window = Windows().Find(hwnd);
  if (!window || !window->surface) return;
  const POINT size = ClientSize(*window);
  TheBackend().SetPictureSize(window->surface, size.x, size.y,
                              !window->fullscreen && OwnsNativeWindow(hwnd));
}

bool MakeSurface(HWND hwnd, const PixelFormat* format) {
  Window* window = Windows().Find(hwnd);
  if (!window) return false;
  SurfaceParams params;
  params.title = window->title.c_str();
  params.x = window->clientRect.left;
  params.y = window->clientRect.top;
  const POINT size = ClientSize(*window);
  params.width = size.x;
  params.height = size.y;
  params.borderless = (window->style & WS_POPUP) != 0;
  params.resizable = (window->style & WS_THICKFRAME) != 0;
  params.format = format;
  params.host = HostFor(hwnd);
  Surface* surface = TheBackend().CreateSurface(params);
  if (!surface) return false;
  if (params.host) TakeHost(hwnd);
  // Made before the old one goes, so that a failure leaves the window as it was.
  Surface* old = std::exchange(window->surface, surface);
  if (old) TheBackend().DestroySurface(old);
  if (window->visible && OwnsNativeWindow(hwnd)) TheBackend().ShowSurface(surface, true);
  return true;
}

void ReleaseLayerRecord(Window& window) {
  UserState& user = User();
  if (user.foreground == window.handle) user.foreground = nullptr;
  if (user.focus == window.handle) user.focus = nullptr;
  if (user.hostHolder == window.handle) user.hostHolder = nullptr;
  // The DC goes with its window, and with it whatever font was selected.
  if (window.hdc) ForgetDeviceContext(window.hdc);
  KeepWindowPlace(window);
  if (Surface* surface = std::exchange(window.surface, nullptr))
    TheBackend().DestroySurface(surface);
}

}  // namespace core

using core::Args;
using core::Bool;
using core::Handle;
using core::Hex;
using core::Int;
using core::Named;
using core::Text;
using core::TraceArg;
using core::Windows;

namespace {

TraceArg Message(UINT message) {
  return Named(TraceArg::kMessage, message);
}

// The system's icons and cursors are never drawn by the layer; a distinct
// non-null handle per resource is all a program can observe.
uintptr_t ResourceNumber(LPCSTR name) {
  return reinterpret_cast<uintptr_t>(name) & 0xFFFF;
}

}  // namespace

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(msg), Handle(hwnd), Int(filterMin), Int(filterMax), Int(removeMsg)};
  });
  if (call.Fails() || !msg) return FALSE;
  core::PumpEvents();
  return Windows().Peek(msg, hwnd, filterMin, filterMax, removeMsg);
} catch (...) {
  return core::Failed(__func__, FALSE);
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) try {
  const core::Call call(__func__, [&] {
    return Args{Message(msg->message), Handle(msg->hwnd), Hex(msg->wParam),
                Hex(static_cast<unsigned long long>(msg->lParam))};
  });
  if (call.Fails()) return 0;
  return Windows().Dispatch(msg);
} catch (...) {
  return core::Failed(__func__, LRESULT{0});
}

BOOL WINAPI TranslateMessage(const MSG* msg) try {
  const core::Call call(__func__, [&] { return Args{Message(msg->message), Hex(msg->wParam)}; });
  if (call.Fails()) return FALSE;
  return Windows().Translate(msg);
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hwnd), Message(msg), Hex(wParam),
                Hex(static_cast<unsigned long long>(lParam))};
  });
  if (call.Fails()) return FALSE;
  return Windows().Post(hwnd, msg, wParam, lParam);
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* wndClass) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(instance), Text(className), Handle(wndClass)};
  });
  if (call.Fails()) return FALSE;
  const core::WindowClass* found = Windows().FindClass(className);
  if (!found || !wndClass) return FALSE;
  *wndClass = found->info;
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) try {
  const core::Call call(__func__, [&] {
    return Args{Hex(wc->style),         Handle(reinterpret_cast<const void*>(wc->lpfnWndProc)),
                Int(wc->cbClsExtra),    Int(wc->cbWndExtra),
                Handle(wc->hInstance),  Handle(wc->hIcon),
                Handle(wc->hCursor),    Handle(wc->hbrBackground),
                Text(wc->lpszMenuName), Text(wc->lpszClassName)};
  });
  if (call.Fails()) return 0;
  return wc ? Windows().RegisterClass(*wc) : 0;
} catch (...) {
  return core::Failed(__func__, ATOM{0});
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) try {
  const core::Call call(__func__, [&] { return Args{Text(className), Handle(instance)}; });
  if (call.Fails()) return FALSE;
  return Windows().UnregisterClass(className);
} catch (...) {
  return core::Failed(__func__, FALSE);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) try {
  const core::Call call(__func__, [&] { return Args{Handle(instance), Text(iconName)}; });
  if (call.Fails()) return nullptr;
  return reinterpret_cast<HICON>(0x50000 + ResourceNumber(iconName));
} catch (...) {
  return core::Failed(__func__, HICON{});
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) try {
  const core::Call call(__func__, [&] { return Args{Handle(instance), Text(cursorName)}; });
  if (call.Fails()) return nullptr;
  return reinterpret_cast<HCURSOR>(0x60000 + ResourceNumber(cursorName));
} catch (...) {
  return core::Failed(__func__, HCURSOR{});
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) try {
  const core::Call call(__func__, [&] {
    return Args{Int(rect->left),
                Int(rect->top),
                Int(rect->right),
                Int(rect->bottom),
                Named(TraceArg::kWindowStyle, style),
                Bool(menu),
                Named(TraceArg::kExStyle, exStyle)};
  });
  if (call.Fails() || !rect) return FALSE;
  core::AddFrame(rect, style, exStyle);
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) try {
  const core::Call call(__func__, [&] {
    return Args{Named(TraceArg::kExStyle, exStyle),
                Text(className),
                Text(windowName),
                Named(TraceArg::kWindowStyle, style),
                Int(x),
                Int(y),
                Int(width),
                Int(height),
                Handle(parent),
                Handle(menu),
                Handle(instance),
                Handle(param)};
  });
  if (call.Fails() || !core::TheBackend().Open()) return nullptr;
  core::ApplyCursor();
  // However the call ends, a window the caller will not hear of is destroyed.
  HWND made = nullptr;
  core::OnScopeExit cleanup([&] {
    if (made) DestroyWindow(made);
  });
  made = Windows().CreateWindow(exStyle, className, windowName, style, x, y, width, height);
  if (!made) return nullptr;
  // The window manager showed a WS_VISIBLE window already; it needs its surface too.
  if ((style & WS_VISIBLE) && core::Alive(made) && !core::SurfaceOf(made))
    core::MakeSurface(made, nullptr);
  return std::exchange(made, nullptr);
} catch (...) {
  return core::Failed(__func__, HWND{});
}

BOOL WINAPI DestroyWindow(HWND hwnd) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd)}; });
  if (call.Fails()) return FALSE;
  return Windows().DestroyWindow(hwnd) ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hwnd), Int(index), Hex(static_cast<unsigned long long>(value))};
  });
  if (call.Fails()) return 0;
  LONG_PTR previous = 0;
  Windows().SetExtra(hwnd, index, value, &previous);
  return previous;
} catch (...) {
  return core::Failed(__func__, LONG_PTR{0});
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd), Int(index)}; });
  if (call.Fails()) return 0;
  LONG_PTR value = 0;
  Windows().GetExtra(hwnd, index, &value);
  return value;
} catch (...) {
  return core::Failed(__func__, LONG_PTR{0});
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hwnd), Message(msg), Hex(wParam),
                Hex(static_cast<unsigned long long>(lParam))};
  });
  if (call.Fails()) return 0;
  return Windows().DefaultProcessing(hwnd, msg, wParam, lParam);
} catch (...) {
  return core::Failed(__func__, LRESULT{0});
}

HDC WINAPI GetDC(HWND hwnd) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd)}; });
  core::Window* window = Windows().Find(hwnd);
  if (call.Fails() || !window) return nullptr;
  if (!window->hdc) window->hdc = reinterpret_cast<HDC>(0x20000 + ++core::User().nextDC);
  return window->hdc;
} catch (...) {
  return core::Failed(__func__, HDC{});
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd), Handle(hdc)}; });
  if (call.Fails()) return 0;
  // A window's own DC stays with it; releasing it only checks the pair.
  return hdc && core::WindowFromDC(hdc) == hwnd ? 1 : 0;
} catch (...) {
  return core::Failed(__func__, 0);
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd), Handle(rect)}; });
  const core::Window* window = Windows().Find(hwnd);
  if (call.Fails() || !window || !rect) return FALSE;
  const POINT size = core::ClientSize(*window);
  *rect = RECT{0, 0, size.x, size.y};
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                         UINT flags) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hwnd), Handle(insertAfter), Int(x), Int(y), Int(cx), Int(cy), Hex(flags)};
  });
  const core::Window* window = Windows().Find(hwnd);
  if (call.Fails() || !window) return FALSE;
  const RECT insets = core::FrameInsets(window->style, window->exStyle);
  const POINT topLeft{x, y};
  const POINT clientSize{cx - insets.left - insets.right, cy - insets.top - insets.bottom};
  Windows().Place(hwnd, (flags & SWP_NOMOVE) ? nullptr : &topLeft,
                  (flags & SWP_NOSIZE) ? nullptr : &clientSize);
  // The procedure may have destroyed the window while hearing of it.
  window = Windows().Find(hwnd);
  if (!window) return FALSE;
  // A window showing a virtual mode stays where the mode put it.
  if (window->surface && !(flags & SWP_NOMOVE) && !core::KeepsItsPlace(hwnd) &&
      core::OwnsNativeWindow(hwnd))
    core::TheBackend().MoveSurface(window->surface, window->clientRect.left,
                                   window->clientRect.top);
  if (!(flags & SWP_NOSIZE)) core::FollowClientSize(hwnd);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) try {
  const core::Call call(__func__, [&] {
    return Args{Handle(hwnd), Named(TraceArg::kShowCommand, command)};
  });
  if (call.Fails() || !core::Alive(hwnd)) return FALSE;
  const bool visible = command != SW_HIDE;
  // A window shown before it has a pixel format gets a default visual.
  if (visible && !core::SurfaceOf(hwnd)) core::MakeSurface(hwnd, nullptr);
  const bool wasVisible = Windows().Show(hwnd, visible);
  core::Surface* surface = core::SurfaceOf(hwnd);
  if (surface && core::OwnsNativeWindow(hwnd)) core::TheBackend().ShowSurface(surface, visible);
  return wasVisible ? TRUE : FALSE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

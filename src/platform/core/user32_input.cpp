// user32's input: the window system's events become messages (keys with
// Win32 virtual-key codes, the close button as SC_CLOSE, moves and resizes,
// the pointer in client coordinates; the program hidden holds its clock), the
// layer's own keys never reach the program, and focus, foreground and the
// cursor counter.
#include "platform/core/cursor_presentation.h"
#include "platform/core/entry.h"
#include "platform/core/focus_pause.h"
#include "platform/core/gamepad_input.h"
#include "platform/core/layer_windows.h"
#include "platform/core/options.h"
#include "platform/core/present_geometry.h"
#include "platform/core/scene_clock.h"

namespace core {
namespace {

const int kVirtualKeyF10 = 0x79;
const int kVirtualKeyF12 = 0x7B;

// The window a close signal is meant for: the program's top-level window.
HWND TopLevelWindow() {
  if (Alive(User().foreground)) return User().foreground;
  HWND found = nullptr;
  Windows().ForEach([&](const Window& window) {
    if (!found) found = window.handle;
  });
  return found;
}

LPARAM KeyLParam(const Event& event) {
  DWORD bits = 1;  // repeat count
  if (event.alt) bits |= 1u << 29;
  if (event.repeat || event.kind == Event::kKeyUp) bits |= 1u << 30;
  if (event.kind == Event::kKeyUp) bits |= 1u << 31;
  return static_cast<LPARAM>(bits);
}

// Alt+Enter, F12 and Pause belong to the layer: true when the key was one of them.
bool TakeLayerKey(HWND hwnd, const Event& event) {
  const bool down = event.kind == Event::kKeyDown;
  if (event.virtualKey == VK_PAUSE) {
    if (down && !event.repeat) TogglePause();
    return true;
  }
  if (event.virtualKey == kVirtualKeyF12) {
    if (down && !event.repeat && SurfaceOf(hwnd)) TheBackend().SavePicture(SurfaceOf(hwnd));
    return true;
  }
  if (event.virtualKey != VK_RETURN) return false;
  UserState& user = User();
  if (!down && user.swallowReturnUp) {
    user.swallowReturnUp = false;
    return true;
  }
  if (!down || !event.alt) return false;
  user.swallowReturnUp = true;
  if (!event.repeat) ToggleView(hwnd);
  return true;
}

void PostKey(HWND hwnd, const Event& event) {
  if (TakeLayerKey(hwnd, event)) return;
  // Alt and F10 give the system forms, as on Windows.
  const bool down = event.kind == Event::kKeyDown;
  UINT message = down ? WM_KEYDOWN : WM_KEYUP;
  if (event.alt || event.virtualKey == kVirtualKeyF10) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  Windows().Post(hwnd, message, static_cast<WPARAM>(event.virtualKey), KeyLParam(event));
}

// The picture pixel under a window point, clamped to the picture.
POINT PointInClient(HWND hwnd, const Event& event) {
  const Window* window = Windows().Find(hwnd);
  const POINT client = ClientSize(*window);
  int windowWidth = 0;
  int windowHeight = 0;
  int drawableWidth = 0;
  int drawableHeight = 0;
  TheBackend().WindowSize(window->surface, &windowWidth, &windowHeight);
  TheBackend().DrawableSize(window->surface, &drawableWidth, &drawableHeight);
  const Rect picture =
      PictureRect(LayerOptions().scale, client.x, client.y, drawableWidth, drawableHeight);
  const ClientPoint point = PicturePoint(event.x, event.y, windowWidth, windowHeight, drawableWidth,
                                         drawableHeight, picture, client.x, client.y);
  return POINT{point.x, point.y};
}

void PostPointer(HWND hwnd, const Event& event) {
  static const UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  static const UINT kUp[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
  if (event.button < 0 || event.button > 2) return;
  UINT message = WM_MOUSEMOVE;
  if (event.kind == Event::kButtonDown) message = kDown[event.button];
  if (event.kind == Event::kButtonUp) message = kUp[event.button];
  const POINT point = PointInClient(hwnd, event);
  Windows().Post(hwnd, message, static_cast<WPARAM>(event.keys), MAKELPARAM(point.x, point.y));
}

// Nobody can see the program while its page is hidden or its window is: its
// clock stands still meanwhile and SwapBuffers presents nothing (presenting.cpp),
// so the scene resumes where it was.
void UpdateSeen() {
  bool unseen = User().programUnseen;
  Windows().ForEach([&](const Window& window) { unseen = unseen || window.unseen; });
  HoldClock(SceneClock::kHidden, unseen);
}

void SeeWindow(HWND hwnd, bool seen) {
  Window* window = Windows().Find(hwnd);
  if (!window || window->unseen == !seen) return;
  window->unseen = !seen;
  UpdateSeen();
  if (seen) LookUpRefreshRate();
}

void ShowProgram(bool shown) {
  User().programUnseen = !shown;
  UpdateSeen();
}

void Deliver(const Event& event) {
  const bool visibility = event.kind == Event::kHidden || event.kind == Event::kShown;
  if (visibility && !event.surface) {
    ShowProgram(event.kind == Event::kShown);
    return;
  }
  Event padKey;
  if (TakeGamepadButton(event, &padKey)) {
    if (padKey.virtualKey) Deliver(padKey);
    return;
  }
  if (TakeFocusChange(event)) return;
  if (event.kind == Event::kCloseRequest && !event.surface) {
    User().closePending = true;  // kept until there is a window to close
    return;
  }
  HWND hwnd = WindowOf(event.surface);
  const bool key = event.kind == Event::kKeyDown || event.kind == Event::kKeyUp;
  if (!hwnd && key && !event.surface) hwnd = User().focus;
  const Window* window = Windows().Find(hwnd);
  if (!window) return;
  switch (event.kind) {
    case Event::kKeyDown:
    case Event::kKeyUp:
      PostKey(hwnd, event);
      break;
    case Event::kCloseRequest:
      // What the close button does on Windows.
      Windows().Post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case Event::kMoved:
      if (!KeepsItsPlace(hwnd)) {
        const RECT insets = FrameInsets(window->style, window->exStyle);
        const POINT topLeft{event.x - insets.left, event.y - insets.top};
        Windows().Place(hwnd, &topLeft, nullptr);
      }
      break;
    case Event::kResized:
      if (!KeepsItsPlace(hwnd)) {
        const POINT size{event.x, event.y};
        Windows().Place(hwnd, nullptr, &size);
        FollowClientSize(hwnd);
      }
      break;
    case Event::kPointerMove:
    case Event::kButtonDown:
    case Event::kButtonUp:
      if (window->surface) PostPointer(hwnd, event);
      NoteCursorMotion();
      break;
    default:
      break;
    case Event::kHidden:
    case Event::kShown:
      SeeWindow(hwnd, event.kind == Event::kShown);
      break;
  }
}

}  // namespace

void PumpEvents() {
  TheBackend().ReadEvents();
  Event event;
  while (TheBackend().NextEvent(&event)) Deliver(event);
  if (User().closePending) {
    if (HWND hwnd = TopLevelWindow()) {
      User().closePending = false;
      Windows().Post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
  }
  FollowFocus();
  FollowCursorTimer();
}

}  // namespace core

using core::Args;
using core::Handle;

BOOL WINAPI SetForegroundWindow(HWND hwnd) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd)}; });
  if (call.Fails() || !core::Alive(hwnd)) return FALSE;
  core::User().foreground = hwnd;
  core::Surface* surface = core::SurfaceOf(hwnd);
  if (surface && core::OwnsNativeWindow(hwnd)) core::TheBackend().RaiseSurface(surface);
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

HWND WINAPI SetFocus(HWND hwnd) try {
  const core::Call call(__func__, [&] { return Args{Handle(hwnd)}; });
  if (call.Fails()) return nullptr;
  core::UserState& user = core::User();
  HWND previous = core::Alive(user.focus) ? user.focus : nullptr;
  if (!hwnd) {
    user.focus = nullptr;
    return previous;
  }
  if (!core::Alive(hwnd)) return nullptr;
  user.focus = hwnd;
  core::Surface* surface = core::SurfaceOf(hwnd);
  if (surface && core::OwnsNativeWindow(hwnd)) core::TheBackend().FocusSurface(surface);
  return previous;
} catch (...) {
  return core::Failed(__func__, HWND{});
}

int WINAPI ShowCursor(BOOL show) try {
  const core::Call call(__func__, [&] { return Args{core::Bool(show)}; });
  if (call.Fails()) return core::User().cursorCounter;
  const int counter = core::User().cursorCounter += show ? 1 : -1;
  core::ApplyCursor();
  return counter;
} catch (...) {
  return core::Failed(__func__, core::User().cursorCounter);
}

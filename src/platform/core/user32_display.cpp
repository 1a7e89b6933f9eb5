// user32's display modes: GetSystemMetrics, ChangeDisplaySettingsA and
// EnumDisplaySettingsA.
//
// Display modes are virtual unless the user asks for a real switch
// (--switch-mode): a window holding a mode keeps a client area of the mode's
// size while its native window covers the monitor (or sits in a window of its
// own), and the backend scales the picture onto it.
#include "platform/core/cursor_presentation.h"
#include "platform/core/display_modes.h"
#include "platform/core/entry.h"
#include "platform/core/layer_windows.h"
#include "platform/core/options.h"
#include "platform/core/window_place.h"

namespace core {

Options& LayerOptions() {
  static Options options;
  return options;
}

namespace {

const char kChange[] = "ChangeDisplaySettingsA";

// The desktop mode as Windows describes it: 24-bit desktops count as 32, and
// a display that tells no refresh rate (a virtual one) counts as 60 Hz.
DisplayMode Desktop() {
  DisplayMode desktop{640, 480, 32, 60};
  TheBackend().DesktopMode(&desktop);
  if (desktop.bitsPerPixel > 16) desktop.bitsPerPixel = 32;
  if (desktop.refreshRate <= 0) desktop.refreshRate = 60;
  return desktop;
}

// The window a display mode is shown in: the foreground one, or else any
// shown window that has a surface.
HWND FullscreenTarget() {
  auto usable = [](const Window* window) { return window && window->surface && window->visible; };
  if (usable(Windows().Find(User().foreground))) return User().foreground;
  HWND found = nullptr;
  Windows().ForEach([&](const Window& window) {
    if (!found && usable(&window)) found = window.handle;
  });
  return found;
}

void RememberWindowedPlace(Window& window) {
  if (window.fullscreen) return;
  window.windowedTopLeft = POINT{window.rect.left, window.rect.top};
  window.windowedSize = ClientSize(window);
}

bool CoverDisplay(Window& window) {
  if (window.view == Window::View::kWindowed) {
    KeepWindowPlace(window);
    int width = 0;
    int height = 0;
    TheBackend().WindowSize(window.surface, &width, &height);
    window.viewWindowSize = POINT{width, height};
  }
  window.view = Window::View::kCovering;
  // The host window is already where its owner wants it.
  const bool covered =
      !OwnsNativeWindow(window.handle) || TheBackend().CoverDisplay(window.surface);
  ApplyCursor();
  return covered;
}

void ShowInWindow(Window& window, int width, int height) {
  ShowModeInWindow(window, width, height);
  RestartCursorTimer();
}

LONG EnterVirtualMode(const DEVMODEA& request) {
  const DisplayMode mode = RequestedMode(request, CurrentMode());
  if (!Lists(VirtualModes(Desktop()), mode)) {
    Report(kChange, "no display mode %dx%d at %d bits per pixel", mode.width, mode.height,
           mode.bitsPerPixel);
    return DISP_CHANGE_BADMODE;
  }
  HWND hwnd = FullscreenTarget();
  if (!hwnd) {
    Report(kChange, "no shown window to show the display mode in");
    return DISP_CHANGE_FAILED;
  }
  Window* window = Windows().Find(hwnd);
  RememberWindowedPlace(*window);
  const bool firstMode = !window->fullscreen;
  window->fullscreen = true;
  window->virtualMode = true;
  User().modeHeld = true;
  User().mode = mode;
  // The client area is the mode's screen, at its origin.
  const RECT insets = FrameInsets(window->style, window->exStyle);
  const POINT topLeft{-insets.left, -insets.top};
  const POINT size{mode.width, mode.height};
  Windows().Place(hwnd, &topLeft, &size);
  // The procedure may have destroyed the window on hearing of it.
  window = Windows().Find(hwnd);
  if (!window || !window->surface) return DISP_CHANGE_SUCCESSFUL;
  FollowClientSize(hwnd);
  if (firstMode && LayerOptions().window && OwnsNativeWindow(hwnd)) {
    ShowInWindow(*window, mode.width, mode.height);
  } else if (!CoverDisplay(*window)) {
    Report(kChange, "the window cannot cover the display");
  }
  return DISP_CHANGE_SUCCESSFUL;
}

LONG EnterRealMode(const DEVMODEA& request) {
  DisplayMode desktop;
  TheBackend().DesktopMode(&desktop);
  DisplayMode mode = RequestedMode(request, desktop);
  // A depth or a rate the request leaves out is any the display has.
  if (!(request.dmFields & DM_BITSPERPEL)) mode.bitsPerPixel = 0;
  if (!(request.dmFields & DM_DISPLAYFREQUENCY)) mode.refreshRate = 0;
  HWND hwnd = FullscreenTarget();
  if (!hwnd) {
    Report(kChange, "no shown window to switch the display mode for");
    return DISP_CHANGE_FAILED;
  }
  Window* window = Windows().Find(hwnd);
  RememberWindowedPlace(*window);
  if (TheBackend().SwitchMode(window->surface, mode) == RealSwitch::kFailed) {
    Report(kChange, "the display has no usable fullscreen mode");
    return DISP_CHANGE_BADMODE;
  }
  window->fullscreen = true;
  // The new size reaches the window through the queue, at the next
  // PeekMessageA: heard now, it would be overridden by the caller setting up
  // the size it asked for right after the switch.
  return DISP_CHANGE_SUCCESSFUL;
}

HWND NextFullscreenWindow() {
  HWND found = nullptr;
  Windows().ForEach([&](const Window& window) {
    if (!found && window.fullscreen && window.surface) found = window.handle;
  });
  return found;
}

}  // namespace

DisplayMode CurrentMode() {
  return User().modeHeld ? User().mode : Desktop();
}

// Back to the desktop mode, and each fullscreen window back where it was.
// One window at a time: a procedure hearing its new size may destroy windows.
void LeaveFullscreen() {
  User().modeHeld = false;
  while (HWND hwnd = NextFullscreenWindow()) {
    Window* window = Windows().Find(hwnd);
    KeepWindowPlace(*window);
    window->fullscreen = false;
    window->virtualMode = false;
    window->view = Window::View::kPlain;
    const POINT topLeft = window->windowedTopLeft;
    const POINT size = window->windowedSize;
    Windows().Place(hwnd, &topLeft, &size);
    FollowClientSize(hwnd);
    // The procedure may have destroyed the window on hearing of it.
    const Window* placed = Windows().Find(hwnd);
    if (placed && OwnsNativeWindow(hwnd)) {
      const RECT& client = placed->clientRect;
      TheBackend().LeaveFullscreen(placed->surface, client.left, client.top,
                                   client.right - client.left, client.bottom - client.top);
    }
  }
  ApplyCursor();
}

bool KeepsItsPlace(HWND hwnd) {
  const Window* window = Windows().Find(hwnd);
  return window && window->virtualMode;
}

void ToggleView(HWND hwnd) {
  Window* window = Windows().Find(hwnd);
  if (!window || !window->surface || !window->virtualMode || !OwnsNativeWindow(hwnd)) return;
  LookUpRefreshRate();  // the window may land on another monitor
  if (window->view == Window::View::kCovering) {
    ShowInWindow(*window, window->viewWindowSize.x, window->viewWindowSize.y);
  } else if (window->view == Window::View::kWindowed) {
    CoverDisplay(*window);
  }
}

}  // namespace core

using core::Args;
using core::Handle;
using core::Hex;
using core::Int;

int WINAPI GetSystemMetrics(int index) try {
  const core::Call call(__func__,
                        [&] { return Args{core::Named(core::TraceArg::kSystemMetric, index)}; });
  if (call.Fails() || (index != SM_CXSCREEN && index != SM_CYSCREEN)) return 0;
  if (!core::TheBackend().Open()) return 0;
  const core::DisplayMode mode = core::CurrentMode();
  return index == SM_CXSCREEN ? mode.width : mode.height;
} catch (...) {
  return core::Failed(__func__, 0);
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) try {
  const core::Call call(__func__, [&] {
    if (!mode) return Args{Handle(nullptr), Hex(flags)};
    return Args{Int(mode->dmSize),       Int(mode->dmPelsWidth), Int(mode->dmPelsHeight),
                Int(mode->dmBitsPerPel), Hex(mode->dmFields),    Hex(flags)};
  });
  if (call.Fails()) return DISP_CHANGE_FAILED;
  if (!mode) {
    core::LeaveFullscreen();
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (!core::TheBackend().Open()) return DISP_CHANGE_FAILED;
  // A screensaver draws into a window it was given and leaves the display be.
  const core::Options& options = core::LayerOptions();
  return options.switchMode && !options.host.given ? core::EnterRealMode(*mode)
                                                   : core::EnterVirtualMode(*mode);
} catch (...) {
  return core::Failed(__func__, LONG{DISP_CHANGE_FAILED});
}

BOOL WINAPI EnumDisplaySettingsA(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) try {
  const core::Call call(__func__, [&] {
    return Args{core::Text(deviceName), Hex(modeNumber), Handle(mode)};
  });
  if (call.Fails() || !mode || !core::TheBackend().Open()) return FALSE;
  core::DisplayMode found;
  if (modeNumber == ENUM_CURRENT_SETTINGS || modeNumber == ENUM_REGISTRY_SETTINGS) {
    found = modeNumber == ENUM_CURRENT_SETTINGS ? core::CurrentMode() : core::Desktop();
  } else if (core::LayerOptions().switchMode) {
    if (!core::TheBackend().RealMode(static_cast<int>(modeNumber), &found)) return FALSE;
  } else {
    const std::vector<core::DisplayMode> modes = core::VirtualModes(core::Desktop());
    if (modeNumber >= modes.size()) return FALSE;
    found = modes[modeNumber];
  }
  core::Describe(found, mode);
  return TRUE;
} catch (...) {
  return core::Failed(__func__, FALSE);
}

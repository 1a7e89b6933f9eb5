// What the core's entry points share about windows beyond the window
// manager's bookkeeping: the thread's focus and foreground, the cursor
// counter, the display mode in force, and the surfaces behind windows.
#pragma once

#include "platform/core/backend.h"
#include "platform/core/window_manager.h"

namespace core {

struct UserState {
  HWND foreground = nullptr;
  HWND focus = nullptr;
  int cursorCounter = 0;  // ShowCursor's display counter; hidden while < 0
  bool modeHeld = false;  // a display mode other than the desktop's is in force
  DisplayMode mode;       // ... this one
  uintptr_t nextDC = 0;
  bool closePending = false;     // a close signal waits for a window to close
  bool swallowReturnUp = false;  // the Return of an Alt+Enter the layer took
  bool programUnseen = false;    // the whole program cannot be seen (a hidden page)
  HWND hostHolder = nullptr;     // screensaver mode: the window drawn into the host window
};

UserState& User();
inline WindowManager& Windows() {
  return WindowManager::Get();
}
inline bool Alive(HWND hwnd) {
  return hwnd && Windows().Find(hwnd) != nullptr;
}

// The window a live device context belongs to; null for any other handle.
HWND WindowFromDC(HDC hdc);
// The window's surface; null until it has a pixel format or is shown.
Surface* SurfaceOf(HWND hwnd);
// The window whose surface this is; null once it has gone.
HWND WindowOf(const Surface* surface);
// The size of the client area, which is also the size of the demo's picture.
POINT ClientSize(const Window& window);
// After a window was placed: its picture follows the client size, and so does
// its native window unless it holds a display mode.
void FollowClientSize(HWND hwnd);
// Gives the window a surface (with the pixel format's visual, when it has
// one), replacing one made earlier. False after the backend said why.
bool MakeSurface(HWND hwnd, const PixelFormat* format);

// host_window.cpp: screensaver mode. The first window to get a surface draws
// into the host window; HostFor answers the host for it (null otherwise) and
// TakeHost records that it has it. The host is another program's window, so
// the layer shows, moves, resizes, raises and focuses only native windows it
// made itself: OwnsNativeWindow is false for the window holding the host.
const HostWindow* HostFor(HWND hwnd);
void TakeHost(HWND hwnd);
bool OwnsNativeWindow(HWND hwnd);

// user32_display.cpp: the mode GetSystemMetrics reports, and leaving fullscreen.
DisplayMode CurrentMode();
void LeaveFullscreen();
// A window holding a virtual mode keeps its client area whatever its native
// window does: the picture is scaled onto it.
bool KeepsItsPlace(HWND hwnd);
// Alt+Enter: a window showing a virtual mode between covering its monitor
// and a window of its own.
void ToggleView(HWND hwnd);

// user32_input.cpp: the window system's events since the last call, as messages.
void PumpEvents();

// presenting.cpp: SwapBuffers's work, paced; the display's rate is looked
// up again at the next frame (the window moved, or a view changed).
bool Present(Window& window);
void LookUpRefreshRate();
void ResetPresenting();

// gdi32_fonts.cpp: the DC is going; whatever font it holds is let go.
void ForgetDeviceContext(HDC hdc);
// wgl.cpp: the handle of the context current on this thread, and no contexts.
HGLRC CurrentContext();
void ResetContexts();

// Everything the core holds back to a fresh process: windows, classes,
// messages, device contexts, font objects, contexts, the mode and the cursor.
// For tests, which start each case from nothing.
void ResetForTests();

}  // namespace core

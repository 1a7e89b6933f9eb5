// The procedure of the "Vrel Window" class: Escape asks to close, a close is
// recorded for the main loop, a new client size reaches the viewport, and
// maximising or sizing from the system menu is refused.
#include "window/gl_window.h"

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Reads 0 for the messages sent while CreateWindowExA runs, before the link.
  auto* window = reinterpret_cast<GlWindow*>(GetWindowLongPtrA(hwnd, 0));

  switch (message) {
    case WM_SIZE:
      if (!window) break;
      // The height is the high word taken as signed, as GET_Y_LPARAM reads it.
      window->Resize(LOWORD(lParam), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_CLOSE:
      if (window) window->closed = true;
      break;  // the default processing destroys the window
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSCOMMAND:
      // The whole wParam is compared: only the plain commands are refused.
      if (wParam == SC_MAXIMIZE || wParam == SC_SIZE) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

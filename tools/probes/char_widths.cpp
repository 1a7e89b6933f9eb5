// Prints the advance widths GDI gives codes 32 to 126 of "Arial" bold at
// -48, one "code width" pair a line. Built for Windows and natively from the
// same source, so the two builds' font metrics can be compared side by side.
#include <cstdio>

#include "platform/platform.h"

namespace {

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = ProbeProc;
  wndClass.hInstance = instance;
  wndClass.lpszClassName = "Plumo Probe";
  if (!RegisterClassA(&wndClass)) {
    std::fprintf(stderr, "char_widths: RegisterClassA failed\n");
    return 1;
  }
  HWND hwnd = CreateWindowExA(0, "Plumo Probe", "probe", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                              instance, nullptr);
  HDC hdc = hwnd ? GetDC(hwnd) : nullptr;
  HFONT font =
      CreateFontA(-48, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                  ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  if (!hdc || !font) {
    std::fprintf(stderr, "char_widths: no device context or no font\n");
    return 1;
  }
  HGDIOBJ previous = SelectObject(hdc, font);
  int widths[95];
  const BOOL ok = GetCharWidthA(hdc, 32, 126, widths);
  SelectObject(hdc, previous);
  DeleteObject(font);
  ReleaseDC(hwnd, hdc);
  DestroyWindow(hwnd);
  UnregisterClassA("Plumo Probe", instance);
  if (!ok) {
    std::fprintf(stderr, "char_widths: GetCharWidthA failed\n");
    return 1;
  }
  for (int code = 32; code <= 126; ++code) std::printf("%d %d\n", code, widths[code - 32]);
  return 0;
}

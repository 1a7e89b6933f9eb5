#include "scenarios.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Switches to 640x480 and leaves through exit() without restoring anything.
// Status 0 only when the switch took place, so the parent knows what it saw.
int ExitWhileFullscreen() {
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = PlainProc;
  wndClass.lpszClassName = "Scenario";
  RegisterClassA(&wndClass);
  HWND hwnd = CreateWindowExA(0, "Scenario", "Scenario", WS_POPUP, 0, 0, 640, 480, nullptr,
                              nullptr, nullptr, nullptr);
  if (!hwnd) return 2;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = 640;
  mode.dmPelsHeight = 480;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return 3;
  if (GetSystemMetrics(SM_CXSCREEN) != 640) return 4;
  std::exit(0);
}

}  // namespace

int RunScenario(const char* name) {
  if (std::strcmp(name, "exit-while-fullscreen") == 0) return ExitWhileFullscreen();
  return 100;
}

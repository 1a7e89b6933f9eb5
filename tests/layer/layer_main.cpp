// The layer tests run on a private Xvfb: a 1024x768 screen at 24 bits that
// also offers a 640x480 mode, so a real switch and its restore can be seen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "x_session.h"

namespace {

void StopSession() {
  xtest::Current().Stop();
}

class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(xtest::Current().Start(1024, 768, 24)) << "cannot start Xvfb";
    // Registered before the layer opens the display, so it runs after the
    // layer's own exit hook has let go of the server.
    std::atexit(StopSession);
    ASSERT_TRUE(xtest::Current().AddMode(640, 480)) << "Xvfb refused an extra RandR mode";
  }
};

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Run as a child: switches to 640x480, then leaves through exit() without
// restoring anything. Status 0 only if the switch took place.
int ExitWhileFullscreen() {
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = PlainProc;
  wndClass.lpszClassName = "Scenario";
  RegisterClassA(&wndClass);
  HWND hwnd = CreateWindowExA(0, "Scenario", "Scenario", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = 640;
  mode.dmPelsHeight = 480;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL ||
      GetSystemMetrics(SM_CXSCREEN) != 640)
    return 2;
  std::exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--exit-while-fullscreen") == 0)
    return ExitWhileFullscreen();
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);
  return RUN_ALL_TESTS();
}

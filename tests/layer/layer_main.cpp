// The layer tests run on a private Xvfb: a 1024x768 screen at 24 bits that
// also offers a 640x480 mode, so a real switch and its restore can be seen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "platform/core/options.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_backend.h"
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

// Run as a child: switches to 640x480 (--switch-mode), then leaves through
// exit() without restoring anything. Status 0 only if the switch took place.
int ExitWhileFullscreen() {
  core::LayerOptions().switchMode = true;
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

// Whether a DRI driver is mapped into this process: Mesa's, on the Xvfb the
// tests run on.
bool DriverMapped() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find("_dri.so") != std::string::npos) return true;
  return false;
}

// Run as a child, from its very start as a program would: the warm-up loads
// the driver before any window asks for it, and lets go of it only once the
// first GL window holds it. Status 0 when both hold and GL works.
int WarmUpThenDraw() {
  native::window_system::StartGlWarmUp();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!DriverMapped()) {
    if (std::chrono::steady_clock::now() > deadline) return 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC;
  wndClass.lpfnWndProc = PlainProc;
  wndClass.lpszClassName = "Scenario";
  RegisterClassA(&wndClass);
  HWND hwnd = CreateWindowExA(0, "Scenario", "Scenario", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                              nullptr, nullptr);
  HDC hdc = GetDC(hwnd);
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.cColorBits = 16;
  pfd.cDepthBits = 8;
  if (!SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd)) return 3;
  HGLRC context = wglCreateContext(hdc);
  if (!context || !wglMakeCurrent(hdc, context)) return 4;
  if (!glGetString(GL_RENDERER)) return 5;
  return DriverMapped() ? 0 : 6;
}

}  // namespace

int main(int argc, char** argv) {
  // As the program's own main begins: with no session bus set, libdbus would
  // fork a launcher from inside SDL's set-up while the warm-up threads may
  // hold the allocator's locks (a child scenario once hung so under ASan).
  native::window_system::PrepareEnvironment();
  if (argc == 2 && std::strcmp(argv[1], "--exit-while-fullscreen") == 0)
    return ExitWhileFullscreen();
  if (argc == 2 && std::strcmp(argv[1], "--warm-up-then-draw") == 0) return WarmUpThenDraw();
  // Status 0 when the compose table Xlib is to read is argv[2] afterwards.
  if (argc == 3 && std::strcmp(argv[1], "--compose-file") == 0) {
    native::window_system::StartGlWarmUp();
    native::window_system::EndGlWarmUp();
    const char* file = std::getenv("XCOMPOSEFILE");
    return file && std::strcmp(file, argv[2]) == 0 ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "--exit-during-warm-up") == 0) {
    // Leaves while the warm-up may still be loading the driver.
    native::window_system::StartGlWarmUp();
    std::exit(0);
  }
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);
  return RUN_ALL_TESTS();
}

// The real display-mode switch (--switch-mode), read back from the X
// server; the cursor counter; the clock.
#include <chrono>
#include <cstdlib>
#include <string>

#include "layer_fixture.h"
#include "platform/core/options.h"
#include "platform/native/window_system/sdl_backend.h"
#include "x_session.h"

namespace {

// What `plumo --switch-mode` does.
class SwitchMode : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    core::LayerOptions().switchMode = true;
  }
  void TearDown() override {
    LayerTest::TearDown();
    core::LayerOptions().switchMode = false;
  }
};

TEST_F(SwitchMode, FullscreenSwitchesToTheModeAndBack) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
  HWND hwnd = CreatePopup(640, 480);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  // A 24-bit X screen cannot switch to 16 bits per pixel; the size it can.
  DEVMODEA mode = Mode(640, 480, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(xtest::Current().ModeWidth(), 640);
  EXPECT_EQ(xtest::Current().ModeHeight(), 480);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024);
  EXPECT_EQ(xtest::Current().ModeHeight(), 768);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(SwitchMode, SizeWithoutAModeGoesFullscreenAtTheDesktopSize) {
  HWND hwnd = CreatePopup(800, 600, "Layer Desktop");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  DEVMODEA mode = Mode(800, 600, 32);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024) << "the mode changed";
  // Heard from the queue, after the call: the demo sets up the size it asked
  // for right after switching, and the real size must come last.
  const size_t mark = deliveries.size();
  EXPECT_TRUE(PumpUntil([&] { return LastLParam(hwnd, WM_SIZE, mark) == MAKELPARAM(1024, 768); }));
  EXPECT_EQ(xtest::Current().FindWindow("Layer Desktop").width, 1024);
  EXPECT_EQ(xtest::Current().FindWindow("Layer Desktop").height, 768);

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(PumpUntil([&] { return LastLParam(hwnd, WM_SIZE) == MAKELPARAM(800, 600); }));
  EXPECT_EQ(xtest::Current().FindWindow("Layer Desktop").width, 800);
}

TEST_F(SwitchMode, DestroyingAFullscreenWindowRestoresTheMode) {
  HWND hwnd = CreatePopup(640, 480);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  DEVMODEA mode = Mode(640, 480, 32);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_EQ(xtest::Current().ModeWidth(), 640);
  DestroyWindow(hwnd);
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024);
}

TEST(LayerProcess, ExitWhileFullscreenRestoresTheMode) {
  xtest::Child child = xtest::Spawn(xtest::SelfPath(), {"--exit-while-fullscreen"});
  ASSERT_EQ(xtest::WaitForExit(child, 20000), 0) << "the child did not switch the mode";
  EXPECT_EQ(xtest::Current().ModeWidth(), 1024);
  EXPECT_EQ(xtest::Current().ModeHeight(), 768);
}

TEST(LayerProcess, TheGlWarmUpLoadsTheDriverAheadAndLeavesItToTheFirstWindow) {
  xtest::Child child = xtest::Spawn(xtest::SelfPath(), {"--warm-up-then-draw"});
  // 2: never loaded, 3-5: GL set up wrongly after it, 6: unloaded under the window.
  EXPECT_EQ(xtest::WaitForExit(child, 60000), 0);
}

// The demo takes no text, so the program names an empty compose table
// rather than have Xlib parse the locale's; one the user names is kept.
TEST(LayerProcess, TheProgramStartsWithAnEmptyComposeTableUnlessOneIsNamed) {
  const char* given = std::getenv("XCOMPOSEFILE");
  const std::string saved = given ? given : "";
  unsetenv("XCOMPOSEFILE");
  xtest::Child child = xtest::Spawn(xtest::SelfPath(), {"--compose-file", "/dev/null"});
  EXPECT_EQ(xtest::WaitForExit(child, 60000), 0);
  setenv("XCOMPOSEFILE", "/home/someone/.XCompose", 1);
  child = xtest::Spawn(xtest::SelfPath(), {"--compose-file", "/home/someone/.XCompose"});
  EXPECT_EQ(xtest::WaitForExit(child, 60000), 0);
  if (given) {
    setenv("XCOMPOSEFILE", saved.c_str(), 1);
  } else {
    unsetenv("XCOMPOSEFILE");
  }
}

TEST(LayerProcess, LeavingDuringTheGlWarmUpEndsCleanly) {
  // Libraries must not be unloaded under a thread that is still loading them.
  for (int run = 0; run < 3; ++run) {
    xtest::Child child = xtest::Spawn(xtest::SelfPath(), {"--exit-during-warm-up"});
    EXPECT_EQ(xtest::WaitForExit(child, 60000), 0) << run;
  }
}

TEST(LayerEnvironment, NoSessionBusStaysNoneAndAGivenOneIsKept) {
  // Unset, libdbus would fork a launcher from inside SDL's set-up.
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  native::window_system::PrepareEnvironment();
  ASSERT_NE(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr);
  EXPECT_EQ(std::string(std::getenv("DBUS_SESSION_BUS_ADDRESS")), "disabled:");
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus", 1);
  native::window_system::PrepareEnvironment();
  EXPECT_EQ(std::string(std::getenv("DBUS_SESSION_BUS_ADDRESS")), "unix:path=/run/user/1000/bus");
}

TEST(LayerClock, PerformanceCounterCountsNanosecondsAndSleepSleeps) {
  LARGE_INTEGER frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 1000000000);
  LARGE_INTEGER before{};
  LARGE_INTEGER after{};
  const auto start = std::chrono::steady_clock::now();
  QueryPerformanceCounter(&before);
  Sleep(30);
  QueryPerformanceCounter(&after);
  const long long elapsed =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
          .count();
  const long long counted = after.QuadPart - before.QuadPart;
  EXPECT_GE(counted, 30000000);
  EXPECT_LE(counted, elapsed);
  EXPECT_GE(counted, elapsed - 5000000);
}

}  // namespace

// Display modes, the cursor counter and the clock.
#include <chrono>

#include "child_process.h"
#include "layer_fixture.h"
#include "x_session.h"

namespace {

DEVMODEA Mode(int width, int height, int bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
}

const Delivery* LastSize(const std::vector<Delivery>& deliveries, HWND hwnd) {
  for (auto it = deliveries.rbegin(); it != deliveries.rend(); ++it)
    if (it->hwnd == hwnd && it->message == WM_SIZE) return &*it;
  return nullptr;
}

// ---- display modes

TEST_F(LayerTest, ScreenMetricsAreTheDisplaysCurrentMode) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(LayerTest, FullscreenSwitchesToTheModeAndBack) {
  HWND hwnd = CreatePopup(640, 480, "Layer Fullscreen");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  // 16 bits per pixel cannot be switched to on a 24-bit X screen; the size can.
  DEVMODEA mode = Mode(640, 480, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(xtest::Current().CurrentMode().width, 640);
  EXPECT_EQ(xtest::Current().CurrentMode().height, 480);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  EXPECT_EQ(LastSize(deliveries, hwnd)->lParam, MAKELPARAM(640, 480));

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(xtest::Current().CurrentMode().width, 1024);
  EXPECT_EQ(xtest::Current().CurrentMode().height, 768);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(LayerTest, SizeWithoutAModeGoesFullscreenAtTheDesktopSize) {
  HWND hwnd = CreatePopup(800, 600, "Layer Desktop");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  DEVMODEA mode = Mode(800, 600, 32);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(xtest::Current().CurrentMode().width, 1024) << "the mode changed";
  ASSERT_TRUE(PumpUntil([&] { return LastSize(deliveries, hwnd)->lParam == MAKELPARAM(1024, 768); }))
      << "the window did not hear its real size";
  xtest::WindowInfo window = xtest::Current().FindWindow("Layer Desktop");
  EXPECT_EQ(window.width, 1024) << "the native window does not cover the display";
  EXPECT_EQ(window.height, 768);

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(PumpUntil([&] { return LastSize(deliveries, hwnd)->lParam == MAKELPARAM(800, 600); }))
      << "the window did not get its own size back";
  window = xtest::Current().FindWindow("Layer Desktop");
  EXPECT_EQ(window.width, 800);
  EXPECT_EQ(window.height, 600);
}

TEST_F(LayerTest, DestroyingAFullscreenWindowRestoresTheMode) {
  HWND hwnd = CreatePopup(640, 480);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  DEVMODEA mode = Mode(640, 480, 32);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_EQ(xtest::Current().CurrentMode().width, 640);
  DestroyWindow(hwnd);
  EXPECT_EQ(xtest::Current().CurrentMode().width, 1024);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

TEST(LayerProcess, ExitWhileFullscreenRestoresTheMode) {
  xtest::Child child = xtest::Spawn(xtest::SelfPath(), {"--scenario", "exit-while-fullscreen"});
  ASSERT_EQ(xtest::WaitForExit(child, 20000), 0) << "the scenario did not switch the mode";
  EXPECT_EQ(xtest::Current().CurrentMode().width, 1024);
  EXPECT_EQ(xtest::Current().CurrentMode().height, 768);
}

// ---- cursor

TEST_F(LayerTest, ShowCursorKeepsTheDisplayCounter) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(ShowCursor(TRUE), 1);
  EXPECT_EQ(ShowCursor(FALSE), 0);
}

// ---- time

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
  const auto elapsed = std::chrono::steady_clock::now() - start;

  const long long counted = after.QuadPart - before.QuadPart;
  EXPECT_GE(counted, 30000000);
  EXPECT_LE(counted, std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
  EXPECT_GE(counted, std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count() -
                         5000000);
}

}  // namespace

// SwapBuffers on the test backend's scripted clock: the core paces presents
// to the display where the driver does not, caps them on request, and
// presents nothing while the window cannot be seen, holding the program's
// clock meanwhile.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "platform/core/options.h"
#include "platform/platform.h"

namespace {

class Presenting : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.Reset();
    core::LayerOptions() = core::Options{};
    platform.frequency = 1000000000;  // nanoseconds, as the native counter
    WNDCLASSA wndClass{};
    wndClass.lpfnWndProc = DefWindowProcA;
    wndClass.lpszClassName = "Presenting";
    RegisterClassA(&wndClass);
    hwnd = CreateWindowExA(0, "Presenting", "Presenting", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                           nullptr, nullptr, nullptr, nullptr);
    hdc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.cColorBits = 16;
    ASSERT_TRUE(SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd));
  }
  void TearDown() override {
    core::LayerOptions() = core::Options{};
    platform.Reset();  // the window and its surface go
  }

  // Frames drawn in 2 ms each, presented, until `seconds` of the clock have
  // passed; the presents per second.
  double PresentsPerSecond(double seconds) {
    const int64_t start = platform.counter;
    const int swaps = platform.swaps;
    while (platform.counter - start < static_cast<int64_t>(seconds * 1e9)) {
      platform.counter += 2000000;
      EXPECT_TRUE(SwapBuffers(hdc));
    }
    return (platform.swaps - swaps) / seconds;
  }

  fake::Platform& platform = fake::Get();
  HWND hwnd = nullptr;
  HDC hdc = nullptr;
};

TEST_F(Presenting, ADriverThatDoesNotWaitIsPacedToTheDisplaysRate) {
  PresentsPerSecond(0.2);  // the first frames tell what the driver does
  EXPECT_NEAR(PresentsPerSecond(10), 60, 1);
  platform.refreshMilliHz = 75000;
  EXPECT_NEAR(PresentsPerSecond(10), 75, 1) << "the new rate, at the next lookup";
}

TEST_F(Presenting, ACapIsKeptWithOrWithoutVsync) {
  core::LayerOptions().maxFps = 30;
  EXPECT_NEAR(PresentsPerSecond(10), 30, 1);
  core::LayerOptions().vsync = false;
  core::LayerOptions().maxFps = 100;
  PresentsPerSecond(2);  // the next lookup of the rate takes the new options
  EXPECT_NEAR(PresentsPerSecond(10), 100, 1);
}

TEST_F(Presenting, WithoutVsyncOrACapEveryFrameIsPresentedAtOnce) {
  core::LayerOptions().vsync = false;
  EXPECT_NEAR(PresentsPerSecond(2), 500, 1) << "as fast as it is drawn";
}

TEST_F(Presenting, AWindowThatCannotBeSeenPresentsNothingAndHoldsTheClock) {
  PresentsPerSecond(1);
  LARGE_INTEGER before{};
  QueryPerformanceCounter(&before);
  core::Event hidden;
  hidden.kind = core::Event::kHidden;
  hidden.surface = platform.SurfaceOf(hwnd);
  platform.events.push_back(hidden);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  const int swaps = platform.swaps;
  for (int i = 0; i < 100; ++i) {
    platform.counter += 10000000;
    EXPECT_TRUE(SwapBuffers(hdc));
  }
  EXPECT_EQ(platform.swaps, swaps) << "presented while hidden";
  EXPECT_EQ(platform.eventWaits, 100) << "each swap waits on the window system instead";
  LARGE_INTEGER during{};
  QueryPerformanceCounter(&during);
  EXPECT_EQ(during.QuadPart, before.QuadPart) << "the program's clock ran while hidden";

  core::Event shown = hidden;
  shown.kind = core::Event::kShown;
  platform.events.push_back(shown);
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  platform.counter += 5000000;
  EXPECT_TRUE(SwapBuffers(hdc));
  EXPECT_EQ(platform.swaps, swaps + 1);
  LARGE_INTEGER after{};
  QueryPerformanceCounter(&after);
  EXPECT_GE(after.QuadPart - before.QuadPart, 5000000);
  EXPECT_LT(after.QuadPart - before.QuadPart, 100000000) << "the hidden second was counted";
}

}  // namespace

// Without a display: the first call that needs one fails with the Win32
// failure value and one line on stderr, and the program exits with status 1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "x_session.h"

namespace {

const char kLine[] = "plumo: CreateWindowExA: cannot open the display: ";

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(Headless, CreateWindowExAFailsAndSaysWhy) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = PlainProc;
  wndClass.lpszClassName = "Headless";
  ASSERT_NE(RegisterClassA(&wndClass), 0);
  testing::internal::CaptureStderr();
  HWND hwnd = CreateWindowExA(0, "Headless", "Headless", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              nullptr, nullptr);
  const std::string text = testing::internal::GetCapturedStderr();
  EXPECT_EQ(hwnd, nullptr);
  EXPECT_EQ(text.rfind(kLine, 0), 0u) << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
  EXPECT_TRUE(UnregisterClassA("Headless", nullptr)) << "a window was left behind";
}

TEST(Headless, ProgramExitsWithStatusOneAndSaysWhy) {
  xtest::Child child = xtest::Spawn(PLUMO_PROGRAM, {}, /*withDisplay=*/false,
                                    /*captureStderr=*/true);
  EXPECT_EQ(xtest::WaitForExit(child, 20000), 1);
  const std::string text = xtest::ReadStderr(child);
  EXPECT_EQ(text.rfind(kLine, 0), 0u) << text;
  EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
}

}  // namespace

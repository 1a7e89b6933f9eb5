// Without a display: the first call that needs one fails with the Win32
// failure value and one line on stderr, and the program exits with status 1.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_process.h"
#include "platform/platform.h"

namespace {

const char kLine[] = "plumo: CreateWindowExA: cannot open the display: ";

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool IsOneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

TEST(Headless, CreateWindowExAFailsAndSaysWhy) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = PlainProc;
  wndClass.lpszClassName = "Headless";
  ASSERT_NE(RegisterClassA(&wndClass), 0);

  std::fflush(stderr);
  const int saved = dup(2);
  FILE* captured = std::tmpfile();
  dup2(fileno(captured), 2);
  HWND hwnd = CreateWindowExA(0, "Headless", "Headless", WS_POPUP, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(captured);
  for (int c; (c = std::fgetc(captured)) != EOF;) text += static_cast<char>(c);
  std::fclose(captured);

  EXPECT_EQ(hwnd, nullptr);
  EXPECT_EQ(text.rfind(kLine, 0), 0u) << text;
  EXPECT_TRUE(IsOneLine(text)) << text;
  EXPECT_TRUE(UnregisterClassA("Headless", nullptr)) << "a window was left behind";
}

TEST(Headless, ProgramExitsWithStatusOneAndSaysWhy) {
  xtest::Child child = xtest::Spawn(PLUMO_PROGRAM, {}, /*withDisplay=*/false,
                                    /*captureStderr=*/true);
  ASSERT_GT(child.pid, 0);
  EXPECT_EQ(xtest::WaitForExit(child, 20000), 1);
  const std::string text = xtest::ReadStderr(child);
  EXPECT_EQ(text.rfind(kLine, 0), 0u) << text;
  EXPECT_TRUE(IsOneLine(text)) << text;
}

}  // namespace

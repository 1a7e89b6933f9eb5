// Display modes: the virtual list, what a DEVMODEA asks for, the client area
// and metrics a mode gives, and the way back to the desktop.
#include <string>

#include "behaviour_fixture.h"

namespace {

DEVMODEA Enumerated(DWORD number) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  EXPECT_TRUE(EnumDisplaySettingsA(nullptr, number, &mode)) << number;
  return mode;
}

TEST_F(Behaviour, TheModesListedAreTheDesktopsAndThreeClassicSizesAtBothDepths) {
  const DEVMODEA desktop = Enumerated(ENUM_REGISTRY_SETTINGS);
  EXPECT_EQ(static_cast<int>(desktop.dmPelsWidth), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(static_cast<int>(desktop.dmPelsHeight), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(desktop.dmBitsPerPel, 32u);
  bool listed[2][4] = {};  // depth, size: 640x480, 800x600, 1024x768, the desktop's
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  DWORD count = 0;
  for (; EnumDisplaySettingsA(nullptr, count, &mode); ++count) {
    ASSERT_TRUE(mode.dmBitsPerPel == 16 || mode.dmBitsPerPel == 32) << mode.dmBitsPerPel;
    EXPECT_EQ(mode.dmDisplayFrequency, desktop.dmDisplayFrequency);
    const int depth = mode.dmBitsPerPel == 32;
    const DWORD sizes[4][2] = {
        {640, 480}, {800, 600}, {1024, 768}, {desktop.dmPelsWidth, desktop.dmPelsHeight}};
    for (int size = 0; size < 4; ++size)
      if (mode.dmPelsWidth == sizes[size][0] && mode.dmPelsHeight == sizes[size][1])
        listed[depth][size] = true;
  }
  EXPECT_GE(count, 6u);
  EXPECT_LE(count, 8u);
  for (const auto& depth : listed)
    for (bool found : depth) EXPECT_TRUE(found);
}

TEST_F(Behaviour, AListedModeHoldsTheClientAreaAndMetricsUntilTheDesktopIsBack) {
  const int desktopWidth = GetSystemMetrics(SM_CXSCREEN);
  const int desktopHeight = GetSystemMetrics(SM_CYSCREEN);
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc);
  DEVMODEA mode = Mode(640, 480, 16);
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  const DEVMODEA current = Enumerated(ENUM_CURRENT_SETTINGS);
  EXPECT_EQ(current.dmPelsWidth, 640u);
  EXPECT_EQ(current.dmBitsPerPel, 16u);
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  // Whatever the native window does meanwhile, the client area stays the mode's.
  harness::Linger([&] { Pump(); });
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktopWidth);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), desktopHeight);
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 320) << "the window is back at its own size";
  EXPECT_EQ(client.bottom, 240);
}

TEST_F(Behaviour, WhatARequestLeavesOutIsTakenFromTheCurrentMode) {
  HDC hdc = nullptr;
  CreateShownWithFormat(&hdc);
  DEVMODEA sizeOnly = Mode(800, 600, 0);
  sizeOnly.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  ASSERT_EQ(ChangeDisplaySettingsA(&sizeOnly, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  DEVMODEA current = Enumerated(ENUM_CURRENT_SETTINGS);
  EXPECT_EQ(current.dmPelsWidth, 800u);
  EXPECT_EQ(current.dmBitsPerPel, 32u) << "the desktop's depth";

  DEVMODEA depthOnly = Mode(0, 0, 16);
  depthOnly.dmFields = DM_BITSPERPEL;
  ASSERT_EQ(ChangeDisplaySettingsA(&depthOnly, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  current = Enumerated(ENUM_CURRENT_SETTINGS);
  EXPECT_EQ(current.dmPelsWidth, 800u) << "the size in force";
  EXPECT_EQ(current.dmPelsHeight, 600u);
  EXPECT_EQ(current.dmBitsPerPel, 16u);
}

TEST_F(Behaviour, AModeNotListedIsRefusedAndSaysSo) {
  HDC hdc = nullptr;
  CreateShownWithFormat(&hdc);
  DEVMODEA odd = Mode(720, 400, 16);
  DEVMODEA deep = Mode(640, 480, 24);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ChangeDisplaySettingsA(&odd, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  EXPECT_EQ(ChangeDisplaySettingsA(&deep, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "plumo: ChangeDisplaySettingsA: no display mode 720x400 at 16 bits per pixel\n"
            "plumo: ChangeDisplaySettingsA: no display mode 640x480 at 24 bits per pixel\n");
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  EXPECT_FALSE(EnumDisplaySettingsA(nullptr, 99, &mode));
}

TEST_F(Behaviour, AModeWithNoShownWindowToShowItInFailsAndSaysSo) {
  CreatePopup(320, 240);  // hidden
  DEVMODEA mode = Mode(640, 480, 16);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_FAILED);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "plumo: ChangeDisplaySettingsA: no shown window to show the display mode in\n");
  EXPECT_NE(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN),
            static_cast<int>(Enumerated(ENUM_REGISTRY_SETTINGS).dmPelsWidth));
}

}  // namespace

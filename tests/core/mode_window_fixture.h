// A window showing the demo's display mode on the test backend, covering the
// screen or in a window of its own (--window), driven through the Win32
// calls and events as the native program's would be.
#pragma once

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "platform/core/options.h"
#include "platform/platform.h"

class ModeWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Get().Reset();
    core::LayerOptions() = core::Options{};
    WNDCLASSA wndClass{};
    wndClass.style = CS_OWNDC;
    wndClass.lpfnWndProc = DefWindowProcA;
    wndClass.lpszClassName = "Mode Window";
    ASSERT_NE(RegisterClassA(&wndClass), 0);
  }
  void TearDown() override {
    ChangeDisplaySettingsA(nullptr, 0);
    if (hwnd) DestroyWindow(hwnd);
    UnregisterClassA("Mode Window", nullptr);
    core::LayerOptions() = core::Options{};
  }

  // A shown window with a pixel format holding 640x480x16, as the demo's
  // Show does; in a window of its own with `inWindow`.
  void ShowMode(bool inWindow) {
    core::LayerOptions().window = inWindow;
    hwnd = CreateWindowExA(WS_EX_APPWINDOW, "Mode Window", "Mode", WS_POPUP, 0, 0, 640, 480,
                           nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    HDC hdc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 16;
    ASSERT_TRUE(SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = 640;
    mode.dmPelsHeight = 480;
    mode.dmBitsPerPel = 16;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  }

  // What PeekMessageA pumps: the events queued so far, and the timers.
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  void Queue(core::Event::Kind kind, int virtualKey = 0, bool alt = false) {
    core::Event event;
    event.kind = kind;
    event.surface = fake::Get().SurfaceOf(hwnd);
    event.virtualKey = virtualKey;
    event.alt = alt;
    fake::Get().events.push_back(event);
  }
  // Alt+Enter, between covering the screen and a window.
  void AltEnter() {
    Queue(core::Event::kKeyDown, VK_RETURN, true);
    Queue(core::Event::kKeyUp, VK_RETURN, true);
    Pump();
  }

  HWND hwnd = nullptr;
};

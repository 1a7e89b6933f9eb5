// Each test starts from an empty window manager with one registered class
// whose procedure leaves everything to DefWindowProcA. Every message handed
// to a procedure (WindowManager::onDeliver) and every message PeekMessageA
// returns are kept for the test to look at.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/options.h"
#include "platform/platform.h"
#include "x_session.h"

// A display mode as ChangeDisplaySettingsA takes it.
inline DEVMODEA Mode(int width, int height, int bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return mode;
}

class LayerTest : public ::testing::Test {
 protected:
  static constexpr const char* kClassName = "Plumo Layer Test";

  void SetUp() override;
  void TearDown() override;

  // Hidden windows of the test class at (0, 0) with this client size.
  HWND CreatePopup(int width, int height, const char* title = "Layer Popup");
  HWND CreateOverlapped(int width, int height, const char* title = "Layer Overlapped");
  // A 320x240 popup with a pixel format set; its DC in `hdc`.
  HWND CreateWithFormat(int colorBits, int depthBits, int stencilBits, HDC* hdc,
                        const char* title = "Layer GL");

  // Peeks and dispatches until `done` holds (true) or the time is up (false).
  bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000);
  void PumpFor(int milliseconds);
  // The X server hears of a destroyed window on the program's connection, the
  // test looks on its own: whether the window is gone within a second.
  bool NativeWindowGoes(const char* title);
  // The window with this title once the X server has it (found false if never).
  xtest::WindowInfo NativeWindow(const char* title);

  // The messages `hwnd`'s procedure was handed, from delivery `from` on.
  std::vector<UINT> MessagesTo(HWND hwnd, size_t from = 0) const;
  // The lParam of the last `message` handed to `hwnd`, or -1.
  LPARAM LastLParam(HWND hwnd, UINT message, size_t from = 0) const;
  bool Retrieved(HWND hwnd, UINT message, WPARAM wParam) const;

  struct Delivery {
    HWND hwnd;
    UINT message;
    LPARAM lParam;
  };
  std::vector<Delivery> deliveries;
  std::vector<MSG> retrieved;
  std::vector<HWND> created;
};

// A test with the demo's window and GL context: whatever of them it made is
// given back, and the layer's options set back to their defaults.
class GlWindowTest : public LayerTest {
 protected:
  void TearDown() override {
    if (hglrc) {
      wglMakeCurrent(nullptr, nullptr);
      wglDeleteContext(hglrc);
    }
    LayerTest::TearDown();
    core::LayerOptions() = core::Options{};
  }

  HWND hwnd = nullptr;
  HDC hdc = nullptr;
  HGLRC hglrc = nullptr;
};

PIXELFORMATDESCRIPTOR Descriptor(int colorBits, int depthBits, int stencilBits = 0);
// Names for readable failures: "WM_NCCREATE WM_CREATE WM_SIZE".
std::string Names(const std::vector<UINT>& messages);

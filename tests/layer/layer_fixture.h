// A fresh window manager per test, a window class whose procedure leaves
// everything to DefWindowProcA, and a record of every message a procedure was
// handed (through WindowManager::onDeliver) and every message PeekMessageA
// returned.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct Delivery {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class LayerTest : public ::testing::Test {
 protected:
  static constexpr const char* kClassName = "Plumo Layer Test";

  void SetUp() override;
  void TearDown() override;

  // Hidden windows of the test class, client area of the given size at (0, 0).
  HWND CreatePopup(int width, int height, const char* title = "Layer Popup");
  HWND CreateOverlapped(int width, int height, const char* title = "Layer Overlapped");

  // A popup with a pixel format; its DC in `hdc`.
  HWND CreateWithFormat(int colorBits, int depthBits, int stencilBits, HDC* hdc,
                        const char* title = "Layer GL");

  // Peeks and dispatches until `done` holds or the time is up; whether it held.
  bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000);
  // Peeks and dispatches for a while, for what the window system may still send.
  void PumpFor(int milliseconds);

  // The messages handed to `hwnd`'s procedure from delivery `from` on.
  std::vector<UINT> MessagesTo(HWND hwnd, size_t from = 0) const;
  // Whether PeekMessageA returned this message for `hwnd`.
  bool Retrieved(HWND hwnd, UINT message, WPARAM wParam) const;

  std::vector<Delivery> deliveries;
  std::vector<MSG> retrieved;
  std::vector<HWND> created;
};

// A message's name, for readable failures.
std::string MessageName(UINT message);
std::string Names(const std::vector<UINT>& messages);

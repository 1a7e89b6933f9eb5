// Each case of the behaviour suite starts from an empty core with one
// registered class whose procedure leaves everything to DefWindowProcA.
// Every message handed to a procedure and every message PeekMessageA returns
// are kept for the case to look at.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/platform.h"

class Behaviour : public ::testing::Test {
 protected:
  static constexpr const char* kClassName = "Plumo Behaviour";

  void SetUp() override;
  void TearDown() override;

  // Hidden windows of the test class at (0, 0) with this client size.
  HWND CreatePopup(int width, int height, const char* title = "Behaviour Popup");
  HWND CreateOverlapped(int width, int height, const char* title = "Behaviour Overlapped");
  // A shown popup with the demo's pixel format, focused; its DC in `hdc`.
  HWND CreateShownWithFormat(HDC* hdc, const char* title = "Behaviour GL");

  // Peeks and dispatches until `done` holds (true) or the time is up (false).
  bool PumpUntil(const std::function<bool()>& done);
  // Peeks and dispatches what is queued now.
  void Pump();

  // The messages `hwnd`'s procedure was handed, from delivery `from` on.
  std::vector<UINT> MessagesTo(HWND hwnd, size_t from = 0) const;
  // The lParam of the last `message` handed to `hwnd`, or -1.
  LPARAM LastLParam(HWND hwnd, UINT message, size_t from = 0) const;
  // The messages PeekMessageA returned for `hwnd` from `from` on.
  std::vector<MSG> RetrievedFor(HWND hwnd, size_t from = 0) const;

  struct Delivery {
    HWND hwnd;
    UINT message;
    LPARAM lParam;
  };
  std::vector<Delivery> deliveries;
  std::vector<MSG> retrieved;
  std::vector<HWND> created;
};

PIXELFORMATDESCRIPTOR Descriptor(int colorBits, int depthBits, int stencilBits = 0);
DEVMODEA Mode(int width, int height, int bits);
// Names for readable failures: "WM_NCCREATE WM_CREATE WM_SIZE".
std::string Names(const std::vector<UINT>& messages);

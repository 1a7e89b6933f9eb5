// Keys typed on the X server and close signals, as messages.
#include <csignal>
#include <vector>

#include "layer_fixture.h"
#include "platform/native/native_signals.h"
#include "x_session.h"

namespace {

std::vector<WPARAM> Keys(const std::vector<MSG>& messages, HWND hwnd, UINT kind) {
  std::vector<WPARAM> keys;
  for (const MSG& msg : messages)
    if (msg.hwnd == hwnd && msg.message == kind) keys.push_back(msg.wParam);
  return keys;
}

// A shown, focused window, as the demo's Show leaves it.
HWND FocusedWindow(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  return hwnd;
}

// ---- keyboard

TEST_F(LayerTest, EscapeArrivesAsWmKeyDownEscape) {
  HWND hwnd = FocusedWindow(CreatePopup(320, 200));
  ASSERT_EQ(xtest::Xdotool("key Escape"), 0);
  ASSERT_TRUE(PumpUntil([&] { return Retrieved(hwnd, WM_KEYUP, VK_ESCAPE); }));
  EXPECT_EQ(Keys(retrieved, hwnd, WM_KEYDOWN), std::vector<WPARAM>{VK_ESCAPE});
}

TEST_F(LayerTest, KeysCarryWin32VirtualKeyCodes) {
  HWND hwnd = FocusedWindow(CreatePopup(320, 200));
  ASSERT_EQ(xtest::Xdotool("key a 7 Up F1 Return space Delete"), 0);
  ASSERT_TRUE(PumpUntil([&] { return Retrieved(hwnd, WM_KEYUP, VK_DELETE); }));
  const std::vector<WPARAM> expected{'A', '7', VK_UP, VK_F1, VK_RETURN, VK_SPACE, VK_DELETE};
  EXPECT_EQ(Keys(retrieved, hwnd, WM_KEYDOWN), expected);
  EXPECT_EQ(Keys(retrieved, hwnd, WM_KEYUP), expected);
}

TEST_F(LayerTest, KeyUpSaysTheKeyWasDownAndIsReleased) {
  HWND hwnd = FocusedWindow(CreatePopup(320, 200));
  ASSERT_EQ(xtest::Xdotool("key b"), 0);
  ASSERT_TRUE(PumpUntil([&] { return Retrieved(hwnd, WM_KEYUP, 'B'); }));
  for (const MSG& msg : retrieved) {
    if (msg.hwnd != hwnd || msg.wParam != 'B') continue;
    const ULONG_PTR bits = static_cast<ULONG_PTR>(msg.lParam);
    EXPECT_EQ(bits & 0xFFFF, 1u) << "repeat count";
    const ULONG_PTR upBits = (1u << 30) | (1u << 31);
    EXPECT_EQ(bits & upBits, msg.message == WM_KEYUP ? upBits : 0u) << MessageName(msg.message);
  }
}

// ---- close signals

class CloseSignal : public LayerTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    native::InstallCloseSignals();
    native::ClearCloseSignal();
  }
};

TEST_P(CloseSignal, BecomesSysCommandCloseToTheTopLevelWindow) {
  HWND hwnd = CreatePopup(320, 200);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  std::raise(GetParam());
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(SC_CLOSE));

  DispatchMessageA(&msg);
  EXPECT_FALSE(DestroyWindow(hwnd)) << "the close did not end the window";
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "one signal, one close";
}

INSTANTIATE_TEST_SUITE_P(Layer, CloseSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP));

TEST_F(LayerTest, SignalBeforeAnyWindowWaitsForOne) {
  native::InstallCloseSignals();
  native::ClearCloseSignal();
  std::raise(SIGTERM);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  HWND hwnd = CreatePopup(320, 200);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSCOMMAND));
}

}  // namespace

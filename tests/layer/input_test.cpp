// Keys typed on the X server, and close signals, as messages.
#include <csignal>
#include <vector>

#include "layer_fixture.h"
#include "platform/native/close_signals.h"
#include "x_session.h"

namespace {

TEST_F(LayerTest, KeysArriveWithWin32VirtualKeyCodes) {
  HWND hwnd = CreatePopup(320, 200);
  ShowWindow(hwnd, SW_SHOWNORMAL);  // as the demo's Show leaves it
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  ASSERT_EQ(xtest::Xdotool("key Escape a 7 Up F1 Return space Delete"), 0);
  ASSERT_TRUE(PumpUntil([&] { return Retrieved(hwnd, WM_KEYUP, VK_DELETE); }));

  const std::vector<WPARAM> expected{VK_ESCAPE, 'A',       '7',      VK_UP,
                                     VK_F1,     VK_RETURN, VK_SPACE, VK_DELETE};
  std::vector<WPARAM> downs;
  std::vector<WPARAM> ups;
  for (const MSG& msg : retrieved) {
    const ULONG_PTR upBits = static_cast<ULONG_PTR>(msg.lParam) & 0xC0000000u;
    if (msg.message == WM_KEYDOWN && upBits == 0) downs.push_back(msg.wParam);
    if (msg.message == WM_KEYUP && upBits == 0xC0000000u) ups.push_back(msg.wParam);
  }
  EXPECT_EQ(downs, expected);
  EXPECT_EQ(ups, expected);
}

class CloseSignal : public LayerTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    native::InstallCloseSignals();
    native::TakeCloseSignal();
  }
};

TEST_P(CloseSignal, BecomesOneSysCommandCloseToTheWindow) {
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

TEST_F(CloseSignal, ArrivingBeforeAnyWindowWaitsForOne) {
  std::raise(SIGTERM);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  HWND hwnd = CreatePopup(320, 200);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSCOMMAND));
}

}  // namespace

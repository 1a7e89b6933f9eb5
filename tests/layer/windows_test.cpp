// The native window behind each window on a real X server: where it appears,
// moves and resizes, and that it goes with its window. (What the messages
// are is the behaviour suite's, tests/behaviour, run on this backend too.)
#include "layer_fixture.h"
#include "x_session.h"

namespace {

using Messages = std::vector<UINT>;

TEST_F(LayerTest, OverlappedWindowHearsItsSizeAtFirstShowAndAppearsThen) {
  HWND hwnd = CreateOverlapped(400, 300, "Layer Shown");
  EXPECT_EQ(MessagesTo(hwnd), (Messages{WM_NCCREATE, WM_CREATE})) << Names(MessagesTo(hwnd));
  EXPECT_FALSE(xtest::Current().FindWindow("Layer Shown").found) << "made before it was needed";

  const size_t mark = deliveries.size();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));  // it was hidden
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SHOWWINDOW, WM_SIZE, WM_MOVE}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_EQ(LastLParam(hwnd, WM_SIZE), MAKELPARAM(400, 300));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWNORMAL));  // now it was visible

  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
  const xtest::WindowInfo window = xtest::Current().FindWindow("Layer Shown");
  EXPECT_TRUE(window.viewable);
  EXPECT_EQ(window.x, -frame.left);  // the client area, inside the frame
  EXPECT_EQ(window.y, -frame.top);
  EXPECT_EQ(window.width, 400);
  EXPECT_EQ(window.height, 300);
}

TEST_F(LayerTest, SetWindowPosMovesWithoutResizing) {
  HWND hwnd = CreatePopup(320, 200, "Layer Moved");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  const size_t mark = deliveries.size();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 100, 50, 999, 999, SWP_NOZORDER | SWP_NOSIZE));
  PumpFor(200);
  EXPECT_EQ(MessagesTo(hwnd, mark), Messages{WM_MOVE}) << Names(MessagesTo(hwnd, mark));
  EXPECT_EQ(LastLParam(hwnd, WM_MOVE), MAKELPARAM(100, 50));
  const xtest::WindowInfo window = xtest::Current().FindWindow("Layer Moved");
  EXPECT_EQ(window.x, 100);
  EXPECT_EQ(window.y, 50);
  EXPECT_EQ(window.width, 320);
}

TEST_F(LayerTest, ResizeFromOutsideArrivesAsWmSize) {
  HWND hwnd = CreatePopup(320, 200, "Layer Resized");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  xtest::Current().Resize(xtest::Current().FindWindow("Layer Resized").id, 500, 360);
  EXPECT_TRUE(PumpUntil([&] { return LastLParam(hwnd, WM_SIZE) == MAKELPARAM(500, 360); }));
}

TEST_F(LayerTest, DestroyHidesThenDestroysAndTakesTheNativeWindow) {
  HWND hwnd = CreatePopup(320, 200, "Layer Destroyed");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  HDC hdc = GetDC(hwnd);
  const size_t mark = deliveries.size();
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SHOWWINDOW, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_TRUE(NativeWindowGoes("Layer Destroyed"));
  // Later calls on the handle fail.
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_EQ(GetDC(hwnd), nullptr);
  EXPECT_EQ(ReleaseDC(hwnd, hdc), 0);
  EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
}

// ---- a procedure that destroys its own window

UINT destroyOn = 0;  // the procedure destroys its window on hearing this

LRESULT CALLBACK SelfDestroyingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) GetDC(hwnd);  // a native record made during creation
  if (destroyOn && message == destroyOn) {
    destroyOn = 0;
    DestroyWindow(hwnd);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(LayerTest, AWindowDestroyedInsideItsOwnMessagesLeavesNothingBehind) {
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC;
  wndClass.lpfnWndProc = SelfDestroyingProc;
  wndClass.lpszClassName = "Layer Self-Destroying";
  ASSERT_NE(RegisterClassA(&wndClass), 0);
  auto create = [&](DWORD style, const char* title) {
    return CreateWindowExA(0, wndClass.lpszClassName, title, style, 0, 0, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
  };
  // Destroyed, and nothing heard after WM_NCDESTROY.
  auto diedLast = [&](HWND hwnd) {
    const std::vector<UINT> heard = MessagesTo(hwnd);
    return !heard.empty() && heard.back() == WM_NCDESTROY;
  };

  // Destroyed in WM_CREATE: NULL, as from Windows.
  destroyOn = WM_CREATE;
  const size_t mark = deliveries.size();
  EXPECT_EQ(create(WS_POPUP | WS_VISIBLE, "Layer Doomed At Birth"), nullptr);
  ASSERT_GT(deliveries.size(), mark);
  HWND stillborn = deliveries[mark].hwnd;
  EXPECT_EQ(MessagesTo(stillborn), (Messages{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(stillborn));
  EXPECT_EQ(GetDC(stillborn), nullptr);

  // Destroyed in the WM_SHOWWINDOW of ShowWindow, which has made its native
  // window by then: that goes too.
  HWND shown = create(WS_POPUP, "Layer Doomed At Show");
  ASSERT_NE(shown, nullptr);
  destroyOn = WM_SHOWWINDOW;
  EXPECT_FALSE(ShowWindow(shown, SW_SHOWNORMAL));
  EXPECT_TRUE(diedLast(shown)) << Names(MessagesTo(shown));
  EXPECT_TRUE(NativeWindowGoes("Layer Doomed At Show"));
  EXPECT_EQ(GetDC(shown), nullptr);

  // Destroyed in the WM_MOVE of SetWindowPos: the native window is not moved
  // after it is gone.
  HWND moved = create(WS_POPUP | WS_VISIBLE, "Layer Doomed At Move");
  ASSERT_NE(moved, nullptr);
  ASSERT_TRUE(NativeWindow("Layer Doomed At Move").found);
  destroyOn = WM_MOVE;
  SetWindowPos(moved, nullptr, 40, 30, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  EXPECT_TRUE(diedLast(moved)) << Names(MessagesTo(moved));
  EXPECT_TRUE(NativeWindowGoes("Layer Doomed At Move"));

  // No window of the class is left, native or not.
  EXPECT_TRUE(UnregisterClassA(wndClass.lpszClassName, nullptr));
}

}  // namespace

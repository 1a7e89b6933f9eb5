// Windows, classes and extra bytes: the messages Windows sends around create,
// show, move and destroy, and what is left of a window after it.
#include "behaviour_fixture.h"

namespace {

using Messages = std::vector<UINT>;

TEST_F(Behaviour, AHiddenPopupHearsItsSizeAndPlaceBeforeCreateReturns) {
  HWND hwnd = CreatePopup(640, 480);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(MessagesTo(hwnd), (Messages{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}))
      << Names(MessagesTo(hwnd));
  EXPECT_EQ(LastLParam(hwnd, WM_SIZE), MAKELPARAM(640, 480));
  EXPECT_EQ(LastLParam(hwnd, WM_MOVE), MAKELPARAM(0, 0));
  RECT client{};
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
}

TEST_F(Behaviour, AnOverlappedWindowHearsItsSizeAtItsFirstShow) {
  HWND hwnd = CreateOverlapped(400, 300);
  EXPECT_EQ(MessagesTo(hwnd), (Messages{WM_NCCREATE, WM_CREATE})) << Names(MessagesTo(hwnd));
  const size_t mark = deliveries.size();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));  // it was hidden
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SHOWWINDOW, WM_SIZE, WM_MOVE}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_EQ(LastLParam(hwnd, WM_SIZE), MAKELPARAM(400, 300));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWNORMAL));  // now it was visible
  // Echoes of the showing from the window system bring nothing more.
  const size_t shown = deliveries.size();
  harness::Linger([&] { Pump(); });
  EXPECT_EQ(MessagesTo(hwnd, shown), Messages{}) << Names(MessagesTo(hwnd, shown));
}

TEST_F(Behaviour, SetWindowPosMovesAndSizesWithTheirMessagesOnly) {
  HWND hwnd = CreatePopup(320, 200);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  size_t mark = deliveries.size();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 100, 50, 999, 999, SWP_NOZORDER | SWP_NOSIZE));
  EXPECT_EQ(MessagesTo(hwnd, mark), Messages{WM_MOVE}) << Names(MessagesTo(hwnd, mark));
  EXPECT_EQ(LastLParam(hwnd, WM_MOVE), MAKELPARAM(100, 50));
  mark = deliveries.size();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, 300, 150, SWP_NOZORDER | SWP_NOMOVE));
  EXPECT_EQ(MessagesTo(hwnd, mark), Messages{WM_SIZE}) << Names(MessagesTo(hwnd, mark));
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 150);
  // Shown by the flag, as ShowWindow would.
  HWND hidden = CreatePopup(100, 100);
  EXPECT_TRUE(SetWindowPos(hidden, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW));
  EXPECT_TRUE(ShowWindow(hidden, SW_SHOWNORMAL)) << "SWP_SHOWWINDOW did not show it";
}

TEST_F(Behaviour, DestroyHidesThenDestroysAndLaterCallsOnTheHandleFail) {
  HWND hwnd = CreatePopup(320, 200);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  HDC hdc = GetDC(hwnd);
  const size_t mark = deliveries.size();
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SHOWWINDOW, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_EQ(GetDC(hwnd), nullptr);
  EXPECT_EQ(ReleaseDC(hwnd, hdc), 0);
  EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_FALSE(SetWindowPos(hwnd, nullptr, 1, 1, 1, 1, SWP_NOZORDER));
  RECT client{};
  EXPECT_FALSE(GetClientRect(hwnd, &client));
}

TEST_F(Behaviour, AnOwnDeviceContextIsOnePerWindowAndStaysWithIt) {
  HWND first = CreatePopup(100, 100);
  HWND second = CreatePopup(100, 100);
  HDC hdc = GetDC(first);
  ASSERT_NE(hdc, nullptr);
  EXPECT_EQ(GetDC(first), hdc);
  EXPECT_NE(GetDC(second), hdc);
  EXPECT_EQ(ReleaseDC(first, hdc), 1);
  EXPECT_EQ(ReleaseDC(second, hdc), 0);
  EXPECT_EQ(GetDC(first), hdc) << "releasing an own DC gave it up";
}

// ---- a procedure that destroys its own window

UINT destroyOn = 0;  // the procedure destroys its window on hearing this

LRESULT CALLBACK SelfDestroyingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) GetDC(hwnd);  // a layer record made during creation
  if (destroyOn && message == destroyOn) {
    destroyOn = 0;
    DestroyWindow(hwnd);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(Behaviour, AWindowDestroyedInsideItsOwnMessagesLeavesNothingBehind) {
  WNDCLASSA wndClass{};
  wndClass.style = CS_OWNDC;
  wndClass.lpfnWndProc = SelfDestroyingProc;
  wndClass.lpszClassName = "Behaviour Self-Destroying";
  ASSERT_NE(RegisterClassA(&wndClass), 0);
  auto create = [&](DWORD style) {
    return CreateWindowExA(0, wndClass.lpszClassName, "Doomed", style, 0, 0, 200, 100, nullptr,
                           nullptr, nullptr, nullptr);
  };
  auto diedLast = [&](HWND hwnd) {
    const std::vector<UINT> heard = MessagesTo(hwnd);
    return !heard.empty() && heard.back() == WM_NCDESTROY;
  };

  // Destroyed in WM_CREATE: NULL, as from Windows.
  destroyOn = WM_CREATE;
  const size_t mark = deliveries.size();
  EXPECT_EQ(create(WS_POPUP | WS_VISIBLE), nullptr);
  ASSERT_GT(deliveries.size(), mark);
  HWND stillborn = deliveries[mark].hwnd;
  EXPECT_EQ(MessagesTo(stillborn), (Messages{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(stillborn));
  EXPECT_EQ(GetDC(stillborn), nullptr);

  // Destroyed in the WM_SHOWWINDOW of ShowWindow, once its surface exists.
  HWND shown = create(WS_POPUP);
  ASSERT_NE(shown, nullptr);
  destroyOn = WM_SHOWWINDOW;
  EXPECT_FALSE(ShowWindow(shown, SW_SHOWNORMAL));
  EXPECT_TRUE(diedLast(shown)) << Names(MessagesTo(shown));

  // Destroyed in the WM_MOVE of SetWindowPos: nothing is done to it after.
  HWND moved = create(WS_POPUP | WS_VISIBLE);
  ASSERT_NE(moved, nullptr);
  destroyOn = WM_MOVE;
  EXPECT_FALSE(SetWindowPos(moved, nullptr, 40, 30, 0, 0, SWP_NOZORDER | SWP_NOSIZE));
  EXPECT_TRUE(diedLast(moved)) << Names(MessagesTo(moved));

  // No window of the class is left.
  EXPECT_TRUE(UnregisterClassA(wndClass.lpszClassName, nullptr));
}

TEST_F(Behaviour, AClassIsUnregisteredOnlyWithoutWindowsAndByNameWhateverItsCase) {
  WNDCLASSA found{};
  EXPECT_TRUE(GetClassInfoA(nullptr, "plumo BEHAVIOUR", &found));
  HWND hwnd = CreatePopup(100, 100);
  EXPECT_FALSE(UnregisterClassA(kClassName, nullptr));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassA("PLUMO behaviour", nullptr));
  EXPECT_FALSE(GetClassInfoA(nullptr, kClassName, &found));
  EXPECT_EQ(CreatePopup(100, 100), nullptr);
}

TEST_F(Behaviour, ExtraBytesStartZeroedAndHoldAFullAddress) {
  HWND hwnd = CreatePopup(100, 100);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 0);
  const LONG_PTR address = static_cast<LONG_PTR>(0x00007F12345678F0LL);  // above 4 GiB
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 0, address), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), address);
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 0, 42), address);
  // Past the class's bytes nothing is stored.
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 4, 7), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 4), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 42);
}

}  // namespace

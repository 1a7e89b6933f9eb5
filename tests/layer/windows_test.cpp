// Windows, classes, extra bytes and the messages around their life, on a
// real X server: what Windows sends, and the native window that goes with it.
#include <vector>

#include "layer_fixture.h"
#include "x_session.h"

namespace {

using Messages = std::vector<UINT>;

LPARAM Size(int width, int height) { return MAKELPARAM(width, height); }

const Delivery* Last(const std::vector<Delivery>& deliveries, HWND hwnd, UINT message) {
  for (auto it = deliveries.rbegin(); it != deliveries.rend(); ++it)
    if (it->hwnd == hwnd && it->message == message) return &*it;
  return nullptr;
}

// ---- messages around create, show, move and destroy

TEST_F(LayerTest, HiddenPopupHearsItsSizeAndPlaceBeforeCreateReturns) {
  HWND hwnd = CreatePopup(640, 480);
  ASSERT_NE(hwnd, nullptr);
  const Messages expected{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE};
  EXPECT_EQ(MessagesTo(hwnd), expected) << Names(MessagesTo(hwnd));
  EXPECT_EQ(Last(deliveries, hwnd, WM_SIZE)->lParam, Size(640, 480));
  EXPECT_EQ(Last(deliveries, hwnd, WM_MOVE)->lParam, MAKELPARAM(0, 0));
}

TEST_F(LayerTest, OverlappedWindowHearsItsSizeAtFirstShow) {
  HWND hwnd = CreateOverlapped(400, 300);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(MessagesTo(hwnd), (Messages{WM_NCCREATE, WM_CREATE})) << Names(MessagesTo(hwnd));

  const size_t mark = deliveries.size();
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));  // it was hidden
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SHOWWINDOW, WM_SIZE, WM_MOVE}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_EQ(Last(deliveries, hwnd, WM_SIZE)->lParam, Size(400, 300));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWNORMAL));  // now it was visible
}

TEST_F(LayerTest, ShownWindowIsANativeWindowWithTitleAndClientArea) {
  HWND hwnd = CreateOverlapped(400, 300, "Layer Shown");
  ASSERT_NE(hwnd, nullptr);
  // The native window waits for the pixel format or the first show.
  EXPECT_FALSE(xtest::Current().FindWindow("Layer Shown").found);

  ShowWindow(hwnd, SW_SHOWNORMAL);
  const xtest::WindowInfo window = xtest::Current().FindWindow("Layer Shown");
  ASSERT_TRUE(window.found);
  EXPECT_TRUE(window.viewable);
  const RECT frame = [] {
    RECT rect{0, 0, 0, 0};
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
    return rect;
  }();
  EXPECT_EQ(window.x, -frame.left);  // the client area sits inside the frame
  EXPECT_EQ(window.y, -frame.top);
  EXPECT_EQ(window.width, 400);
  EXPECT_EQ(window.height, 300);
}

TEST_F(LayerTest, WindowSystemEchoesOfShowingBringNoExtraMessages) {
  HWND popup = CreatePopup(320, 200, "Layer Echo Popup");
  HWND overlapped = CreateOverlapped(320, 200, "Layer Echo Overlapped");
  ShowWindow(popup, SW_SHOWNORMAL);
  ShowWindow(overlapped, SW_SHOWNORMAL);
  const size_t mark = deliveries.size();
  PumpFor(300);
  EXPECT_EQ(MessagesTo(popup, mark), Messages{}) << Names(MessagesTo(popup, mark));
  EXPECT_EQ(MessagesTo(overlapped, mark), Messages{}) << Names(MessagesTo(overlapped, mark));
}

TEST_F(LayerTest, SetWindowPosMovesWithoutResizing) {
  HWND hwnd = CreatePopup(320, 200, "Layer Moved");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  const size_t mark = deliveries.size();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 100, 50, 999, 999, SWP_NOZORDER | SWP_NOSIZE));
  EXPECT_EQ(MessagesTo(hwnd, mark), Messages{WM_MOVE}) << Names(MessagesTo(hwnd, mark));
  EXPECT_EQ(Last(deliveries, hwnd, WM_MOVE)->lParam, MAKELPARAM(100, 50));

  PumpFor(200);
  const xtest::WindowInfo window = xtest::Current().FindWindow("Layer Moved");
  EXPECT_EQ(window.x, 100);
  EXPECT_EQ(window.y, 50);
  EXPECT_EQ(window.width, 320);
  EXPECT_EQ(MessagesTo(hwnd, mark), Messages{WM_MOVE}) << "the move echoed back";
}

TEST_F(LayerTest, ResizeFromOutsideArrivesAsWmSize) {
  HWND hwnd = CreatePopup(320, 200, "Layer Resized");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  xtest::Current().Resize(xtest::Current().FindWindow("Layer Resized").id, 500, 360);
  EXPECT_TRUE(PumpUntil([&] {
    const Delivery* size = Last(deliveries, hwnd, WM_SIZE);
    return size && size->lParam == Size(500, 360);
  })) << Names(MessagesTo(hwnd));
}

TEST_F(LayerTest, DestroyHidesThenDestroysAndTakesTheNativeWindow) {
  HWND hwnd = CreatePopup(320, 200, "Layer Destroyed");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  HDC hdc = GetDC(hwnd);
  const size_t mark = deliveries.size();
  ASSERT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SHOWWINDOW, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_FALSE(xtest::Current().FindWindow("Layer Destroyed").found);

  // Later calls on the handle fail.
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_EQ(GetDC(hwnd), nullptr);
  EXPECT_EQ(ReleaseDC(hwnd, hdc), 0);
  EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
}

// ---- default processing

TEST_F(LayerTest, DefaultProcessingOfWmCloseDestroysTheWindow) {
  HWND hwnd = CreatePopup(320, 200);
  ASSERT_TRUE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
  const size_t mark = deliveries.size();
  PumpUntil([&] { return !MessagesTo(hwnd, mark).empty(); });
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(hwnd, mark));
  EXPECT_FALSE(DestroyWindow(hwnd));
}

TEST_F(LayerTest, SysCommandCloseSendsWmCloseWhateverItsLowBits) {
  HWND hwnd = CreatePopup(320, 200);
  // The low four bits are the system's own and are masked off.
  ASSERT_TRUE(PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0));
  const size_t mark = deliveries.size();
  PumpUntil([&] { return !MessagesTo(hwnd, mark).empty(); });
  EXPECT_EQ(MessagesTo(hwnd, mark), (Messages{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(hwnd, mark));
}

TEST_F(LayerTest, OtherSysCommandsAndMessagesAreLeftAlone) {
  HWND hwnd = CreatePopup(320, 200);
  EXPECT_EQ(DefWindowProcA(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
  EXPECT_EQ(DefWindowProcA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_NE(GetDC(hwnd), nullptr) << "the window was destroyed";
}

TEST_F(LayerTest, CloseButtonBecomesSysCommandClose) {
  HWND hwnd = CreatePopup(320, 200, "Layer Close Button");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  xtest::Current().RequestClose(xtest::Current().FindWindow("Layer Close Button").id);
  ASSERT_TRUE(PumpUntil([&] { return Retrieved(hwnd, WM_SYSCOMMAND, SC_CLOSE); }));
  // Dispatched, it went through WM_CLOSE to the end of the window.
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_FALSE(xtest::Current().FindWindow("Layer Close Button").found);
}

// ---- the class table

TEST_F(LayerTest, ClassesAreFoundByNameWhateverTheCase) {
  WNDCLASSA found{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "plumo LAYER test", &found));
  EXPECT_EQ(found.style, static_cast<UINT>(CS_OWNDC | CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(found.cbWndExtra, static_cast<int>(sizeof(LONG_PTR)));
  EXPECT_STREQ(found.lpszClassName, kClassName);

  WNDCLASSA again = found;
  EXPECT_EQ(RegisterClassA(&again), 0) << "a second registration of the same name";
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), "No Such Class", &found));
}

TEST_F(LayerTest, UnregisterFailsWhileAWindowOfTheClassExists) {
  HWND hwnd = CreatePopup(100, 100);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(UnregisterClassA(kClassName, GetModuleHandleA(nullptr)));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassA(kClassName, GetModuleHandleA(nullptr)));
  WNDCLASSA found{};
  EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), kClassName, &found));
  EXPECT_EQ(CreatePopup(100, 100), nullptr);
}

// ---- extra bytes

TEST_F(LayerTest, ExtraBytesStartZeroedAndHoldAFullAddress) {
  HWND hwnd = CreatePopup(100, 100);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 0);
  // An address above 4 GiB must survive whole.
  const LONG_PTR address = static_cast<LONG_PTR>(0x00007F12345678F0LL);
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 0, address), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), address);
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 0, 42), address);  // the previous value comes back

  // Outside the class's bytes nothing is stored.
  EXPECT_EQ(SetWindowLongPtrA(hwnd, 4, 7), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 4), 0);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), 42);
}

// ---- device contexts

TEST_F(LayerTest, OwnDeviceContextIsOnePerWindow) {
  HWND first = CreatePopup(100, 100);
  HWND second = CreatePopup(100, 100);
  HDC hdc = GetDC(first);
  ASSERT_NE(hdc, nullptr);
  EXPECT_EQ(GetDC(first), hdc);
  EXPECT_NE(GetDC(second), hdc);
  EXPECT_EQ(ReleaseDC(first, hdc), 1);
  EXPECT_EQ(ReleaseDC(second, hdc), 0);
  EXPECT_EQ(GetDC(first), hdc) << "releasing an own DC does not give it up";
}

}  // namespace

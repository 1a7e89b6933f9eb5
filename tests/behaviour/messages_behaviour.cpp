// The thread's queue, default processing, keys as key messages for the
// window with the focus, the layer's own keys, focus and the cursor counter.
#include "behaviour_fixture.h"

namespace {

using Messages = std::vector<UINT>;

const int kVirtualKeyF10 = 0x79;
const int kVirtualKeyF12 = 0x7B;

TEST_F(Behaviour, WmCloseDestroysTheWindowAndScCloseSendsItWhateverItsLowBits) {
  HWND closed = CreatePopup(320, 200);
  size_t mark = deliveries.size();
  ASSERT_TRUE(PostMessageA(closed, WM_CLOSE, 0, 0));
  PumpUntil([&] { return !MessagesTo(closed, mark).empty(); });
  EXPECT_EQ(MessagesTo(closed, mark), (Messages{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(closed, mark));

  HWND commanded = CreatePopup(320, 200);
  mark = deliveries.size();
  ASSERT_TRUE(PostMessageA(commanded, WM_SYSCOMMAND, SC_CLOSE | 0x2, 0));
  PumpUntil([&] { return !MessagesTo(commanded, mark).empty(); });
  EXPECT_EQ(MessagesTo(commanded, mark),
            (Messages{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}))
      << Names(MessagesTo(commanded, mark));
}

TEST_F(Behaviour, ThreadMessagesAreRetrievedInOrderAndGoToNoProcedure) {
  HWND hwnd = CreatePopup(100, 100);
  ASSERT_TRUE(PostMessageA(nullptr, WM_QUIT, 7, 0));
  ASSERT_TRUE(PostMessageA(hwnd, WM_USER, 1, 2));
  MSG msg{};
  // Filtered by window, then by range, PM_NOREMOVE leaving it queued.
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 1, WM_USER + 5, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Behaviour, KeysBecomeKeyMessagesForTheWindowWithTheFocus) {
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc);
  ASSERT_NE(hwnd, nullptr);
  harness::Key(VK_ESCAPE, true);
  harness::Key(VK_ESCAPE, false);
  harness::Key(kVirtualKeyF10, true);
  harness::Key(kVirtualKeyF10, false);
  ASSERT_TRUE(PumpUntil([&] { return RetrievedFor(hwnd).size() >= 4; }));
  std::vector<MSG> keys;
  for (const MSG& msg : RetrievedFor(hwnd))
    if (msg.wParam == VK_ESCAPE || msg.wParam == static_cast<WPARAM>(kVirtualKeyF10))
      keys.push_back(msg);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(static_cast<ULONG_PTR>(keys[0].lParam) & 0xC000FFFFu, 1u) << "repeat 1, down";
  EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(static_cast<ULONG_PTR>(keys[1].lParam) & 0xC0000000u, 0xC0000000u) << "up";
  // F10 has the system forms, as on Windows.
  EXPECT_EQ(keys[2].message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(keys[3].message, static_cast<UINT>(WM_SYSKEYUP));

  // TranslateMessage types Escape as a character.
  const size_t mark = retrieved.size();
  ASSERT_TRUE(TranslateMessage(&keys[0]));
  Pump();
  ASSERT_EQ(RetrievedFor(hwnd, mark).size(), 1u);
  EXPECT_EQ(RetrievedFor(hwnd, mark)[0].message, static_cast<UINT>(WM_CHAR));
  EXPECT_EQ(RetrievedFor(hwnd, mark)[0].wParam, static_cast<WPARAM>(VK_ESCAPE));
}

TEST_F(Behaviour, WithAltHeldAKeyHasTheSystemForms) {
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc);
  harness::Key('A', true, /*alt=*/true);
  harness::Key('A', false, /*alt=*/true);
  ASSERT_TRUE(PumpUntil([&] {
    for (const MSG& msg : RetrievedFor(hwnd))
      if (msg.wParam == 'A' && msg.message == WM_SYSKEYUP) return true;
    return false;
  }));
  for (const MSG& msg : RetrievedFor(hwnd)) {
    if (msg.wParam != 'A') continue;
    EXPECT_TRUE(msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP) << msg.message;
    EXPECT_NE(static_cast<ULONG_PTR>(msg.lParam) & (1u << 29), 0u) << "the context bit";
  }
}

TEST_F(Behaviour, TheLayersOwnKeysNeverReachTheProgram) {
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc);
  harness::Key(kVirtualKeyF12, true);
  harness::Key(kVirtualKeyF12, false);
  harness::Key(VK_RETURN, true, /*alt=*/true);
  harness::Key(VK_RETURN, false, /*alt=*/true);
  harness::Key(VK_SPACE, true);  // a plain key after them, to know they were all read
  ASSERT_TRUE(PumpUntil([&] {
    for (const MSG& msg : RetrievedFor(hwnd))
      if (msg.wParam == VK_SPACE) return true;
    return false;
  }));
  for (const MSG& msg : RetrievedFor(hwnd)) {
    EXPECT_NE(msg.wParam, static_cast<WPARAM>(kVirtualKeyF12)) << "F12 reached the program";
    EXPECT_NE(msg.wParam, static_cast<WPARAM>(VK_RETURN)) << "Alt+Enter reached the program";
  }
  // A plain Return is the program's.
  harness::Key(VK_RETURN, true);
  EXPECT_TRUE(PumpUntil([&] {
    for (const MSG& msg : RetrievedFor(hwnd))
      if (msg.wParam == VK_RETURN && msg.message == WM_KEYDOWN) return true;
    return false;
  }));
  harness::Key(VK_RETURN, false);
  harness::Key(VK_SPACE, false);
}

TEST_F(Behaviour, TheCloseButtonBecomesScClose) {
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc, "Behaviour Close Button");
  if (!harness::CloseFromOutside(hwnd, "Behaviour Close Button"))
    GTEST_SKIP() << "the " << harness::Name() << " backend's windows have no close button";
  ASSERT_TRUE(PumpUntil([&] {
    for (const MSG& msg : RetrievedFor(hwnd))
      if (msg.message == WM_SYSCOMMAND && msg.wParam == SC_CLOSE) return true;
    return false;
  }));
  EXPECT_FALSE(DestroyWindow(hwnd)) << "the dispatched close did not end the window";
}

TEST_F(Behaviour, SetFocusReturnsThePreviousAndForgetsAWindowThatWent) {
  HWND first = CreatePopup(100, 100);
  HWND second = CreatePopup(100, 100);
  EXPECT_EQ(SetFocus(first), nullptr);
  EXPECT_EQ(SetFocus(second), first);
  DestroyWindow(second);
  EXPECT_EQ(SetFocus(first), nullptr) << "the focus went with its window";
  EXPECT_EQ(SetFocus(second), nullptr) << "a destroyed window cannot take the focus";
  EXPECT_EQ(SetFocus(nullptr), first);
  EXPECT_TRUE(SetForegroundWindow(first));
  EXPECT_FALSE(SetForegroundWindow(second));
}

TEST_F(Behaviour, ShowCursorKeepsTheDisplayCounter) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(ShowCursor(TRUE), 1);
  EXPECT_EQ(ShowCursor(FALSE), 0);
}

}  // namespace

namespace {

int64_t Counter() {
  LARGE_INTEGER count{};
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

TEST_F(Behaviour, ThePauseKeyHoldsThePerformanceCounterAndNeverReachesTheProgram) {
  HDC hdc = nullptr;
  HWND hwnd = CreateShownWithFormat(&hdc);
  LARGE_INTEGER frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  harness::Key(VK_PAUSE, true);
  harness::Key(VK_PAUSE, false);
  harness::Key(VK_SPACE, true);
  ASSERT_TRUE(PumpUntil([&] { return !RetrievedFor(hwnd).empty(); }));
  const int64_t paused = Counter();
  harness::Advance(frequency.QuadPart / 10);
  EXPECT_EQ(Counter(), paused) << "the clock ran while paused";
  harness::Key(VK_PAUSE, true);
  harness::Key(VK_PAUSE, false);
  harness::Key(VK_SPACE, false);
  ASSERT_TRUE(PumpUntil([&] { return RetrievedFor(hwnd).size() >= 2; }));
  harness::Advance(frequency.QuadPart / 10);
  const int64_t resumed = Counter();
  EXPECT_GT(resumed, paused);
  EXPECT_LT(resumed - paused, frequency.QuadPart / 2) << "the pause's time was counted";
  for (const MSG& msg : RetrievedFor(hwnd))
    EXPECT_NE(msg.wParam, static_cast<WPARAM>(VK_PAUSE)) << "Pause reached the program";
}

}  // namespace

namespace {

TEST_F(Behaviour, WhileNobodyCanSeeTheProgramItsClockStandsStillAndNothingIsPresented) {
  HDC hdc = nullptr;
  ASSERT_NE(CreateShownWithFormat(&hdc), nullptr);
  HGLRC context = wglCreateContext(hdc);
  ASSERT_TRUE(wglMakeCurrent(hdc, context));
  LARGE_INTEGER frequency{};
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  if (!harness::SetProgramVisible(false))
    GTEST_SKIP() << "the " << harness::Name() << " harness cannot hide the program";
  Pump();
  const int64_t hidden = Counter();
  const int presents = harness::Presents();
  harness::Advance(frequency.QuadPart);
  EXPECT_EQ(Counter(), hidden) << "the clock ran while hidden";
  EXPECT_TRUE(SwapBuffers(hdc)) << "a hidden window's SwapBuffers fails";
  EXPECT_EQ(harness::Presents(), presents) << "a frame was presented while hidden";

  // A pause taken while hidden outlasts the hiding; the pause alone holds then.
  harness::Key(VK_PAUSE, true);
  harness::Key(VK_PAUSE, false);
  ASSERT_TRUE(harness::SetProgramVisible(true));
  Pump();
  harness::Advance(frequency.QuadPart / 10);
  EXPECT_EQ(Counter(), hidden) << "showing the program ended its pause";
  EXPECT_TRUE(SwapBuffers(hdc));
  EXPECT_EQ(harness::Presents(), presents + 1) << "a shown program presents again";

  harness::Key(VK_PAUSE, true);
  harness::Key(VK_PAUSE, false);
  Pump();
  harness::Advance(frequency.QuadPart / 10);
  const int64_t resumed = Counter();
  EXPECT_GE(resumed - hidden, frequency.QuadPart / 10);
  EXPECT_LT(resumed - hidden, frequency.QuadPart / 2) << "the hidden time was counted";
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
}

}  // namespace

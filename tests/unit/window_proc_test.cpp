// The window procedure: what each message does, with and without the link to
// the GlWindow, and the link itself.
#include "fake_test.h"
#include "platform/core/layer_windows.h"

namespace {

using ::testing::ElementsAre;

class WindowProcTest : public FakeTest {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true));
    hwnd = window.hwnd;
    start = platform.calls.size();
  }

  LRESULT Call(UINT message, WPARAM wParam, LPARAM lParam) {
    start = platform.calls.size();
    return WindowProc(hwnd, message, wParam, lParam);
  }
  bool Defaulted() const { return platform.IndexOf("DefWindowProcA", start) != std::string::npos; }
  bool Alive() const { return core::Windows().Find(hwnd) != nullptr; }

  GlWindow window{"Plumo"};
  HWND hwnd = nullptr;
  size_t start = 0;
};

TEST_F(WindowProcTest, SizeResizesWithTheSignedHighWord) {
  EXPECT_EQ(Call(WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600)), 0);
  EXPECT_FALSE(Defaulted());
  EXPECT_THAT(Only({"glViewport", "gluPerspective"}, start),
              ElementsAre("glViewport(0, 0, 800, 600)", "gluPerspective(45, 1.33333333, 7, 5000)"));

  // 40000 does not fit a signed 16-bit height; the width stays unsigned.
  Call(WM_SIZE, SIZE_RESTORED, MAKELPARAM(40000, 40000));
  EXPECT_EQ(window.GetWidth(), 40000);
  EXPECT_EQ(window.GetHeight(), 40000 - 65536);
}

TEST_F(WindowProcTest, MinimisedSizeGivesAOnePixelHighViewport) {
  Call(WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_THAT(Only({"glViewport", "gluPerspective"}, start),
              ElementsAre("glViewport(0, 0, 0, 1)", "gluPerspective(45, 0, 7, 5000)"));
  EXPECT_EQ(window.GetWidth(), 0);
  EXPECT_EQ(window.GetHeight(), 0);

  Call(WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 0));
  EXPECT_THAT(Only({"glViewport", "gluPerspective"}, start),
              ElementsAre("glViewport(0, 0, 800, 1)", "gluPerspective(45, 800, 7, 5000)"));
}

TEST_F(WindowProcTest, CloseSetsTheFlagThenTheDefaultDestroysTheWindow) {
  EXPECT_FALSE(window.IsClosed());
  Call(WM_CLOSE, 0, 0);
  EXPECT_TRUE(window.IsClosed());
  EXPECT_TRUE(Defaulted());
  EXPECT_FALSE(Alive());
  // The object keeps its handles until its own Close.
  EXPECT_NE(window.hwnd, nullptr);
  EXPECT_NE(window.hglrc, nullptr);
}

TEST_F(WindowProcTest, EscapeOnlyPostsClose) {
  EXPECT_EQ(Call(WM_KEYDOWN, VK_ESCAPE, 0x00010001), 0);
  EXPECT_THAT(Only({"PostMessageA", "DefWindowProcA"}, start),
              ElementsAre("PostMessageA(" + fake::Handle(hwnd).text + ", WM_CLOSE, 0x0, 0x0)"));
  EXPECT_FALSE(window.IsClosed());
  EXPECT_EQ(core::Windows().QueuedMessages(), 1u);
}

TEST_F(WindowProcTest, OtherKeysAreSwallowed) {
  for (WPARAM key : {WPARAM{'A'}, WPARAM{VK_SPACE}, WPARAM{VK_RETURN}, WPARAM{VK_F1}}) {
    EXPECT_EQ(Call(WM_KEYDOWN, key, 0), 0);
    EXPECT_FALSE(Defaulted()) << key;
    EXPECT_EQ(platform.Count("PostMessageA"), 0u);
  }
}

TEST_F(WindowProcTest, SystemCommandsCompareTheWholeWParam) {
  // Exactly SC_MAXIMIZE and SC_SIZE are refused.
  for (WPARAM command : {WPARAM{SC_MAXIMIZE}, WPARAM{SC_SIZE}}) {
    EXPECT_EQ(Call(WM_SYSCOMMAND, command, 0), 0);
    EXPECT_FALSE(Defaulted()) << std::hex << command;
  }
  // Anything with low bits set, and the other commands, get the default.
  for (WPARAM command : {WPARAM{SC_MAXIMIZE + 2}, WPARAM{SC_SIZE + 1}, WPARAM{SC_SIZE + 8},
                         WPARAM{SC_MINIMIZE}, WPARAM{SC_MOVE}}) {
    Call(WM_SYSCOMMAND, command, 0);
    EXPECT_TRUE(Defaulted()) << std::hex << command;
    EXPECT_TRUE(Alive());
  }
}

TEST_F(WindowProcTest, CloseFromTheSystemMenuClosesTheWindow) {
  Call(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(window.IsClosed());
  EXPECT_FALSE(Alive());
}

TEST_F(WindowProcTest, OtherMessagesGetDefaultProcessing) {
  for (UINT message : {UINT{WM_MOVE}, UINT{WM_CHAR}, UINT{WM_USER}, UINT{WM_QUIT}}) {
    Call(message, 1, 2);
    EXPECT_TRUE(Defaulted()) << fake::MessageName(message);
  }
}

TEST_F(WindowProcTest, TheLinkHoldsAnAddressAbove4GiB) {
  const LONG_PTR high = static_cast<LONG_PTR>(0x00007ff812345678LL);
  SetWindowLongPtrA(hwnd, 0, high);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), high);
  SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(&window));
  // The class reserves a whole pointer, not 4 bytes.
  EXPECT_EQ(platform.Named("RegisterClassA")[0].args[3], static_cast<double>(sizeof(LONG_PTR)));
}

using UnlinkedWindowTest = FakeTest;

TEST_F(UnlinkedWindowTest, MessagesDuringCreationGetTheDefault) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true));
  // A hidden popup hears WM_SIZE inside CreateWindowExA, before the link.
  const size_t size = platform.IndexOf("-> WM_SIZE");
  const size_t link = platform.IndexOf("SetWindowLongPtrA");
  ASSERT_LT(size, link) << TRACE();
  EXPECT_EQ(platform.calls[size + 2].text,
            "DefWindowProcA(" + fake::Handle(window.hwnd).text + ", WM_SIZE, 0x0, 0x1e00280)")
      << TRACE();
  EXPECT_EQ(platform.IndexOf("glViewport"), platform.IndexOf("ShowCursor") + 1)
      << "Resize ran before the link\n"
      << TRACE();
}

TEST_F(UnlinkedWindowTest, CloseWithoutALinkIsDefaultProcessingOnly) {
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = WindowProc;
  wndClass.cbWndExtra = sizeof(LONG_PTR);
  wndClass.lpszClassName = "Vrel Window";
  ASSERT_TRUE(RegisterClassA(&wndClass));
  HWND hwnd = CreateWindowExA(0, "Vrel Window", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  WindowProc(hwnd, WM_SIZE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(platform.Count("glViewport"), 0u);
  WindowProc(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(core::Windows().Find(hwnd), nullptr);
}

}  // namespace

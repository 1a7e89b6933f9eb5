// Running out of memory inside an entry point: each allocation the call makes
// fails in turn, and the call gives its Win32 failure value and one error
// line, never an exception, and leaves the windows, classes, queue and
// contexts as they were. (Under the sanitizers, what a failed call leaks is
// reported at exit.)
#include "failing_allocation.h"
#include "layer_fixture.h"
#include "platform/core/layer_windows.h"

namespace {

using failing_allocation::FailEachAllocation;

using core::Windows;

class OutOfMemory : public LayerTest {
 protected:
  // The window count as it stands, to compare with after a failed call.
  std::function<bool()> WindowCountIs(size_t count) {
    return [count] { return Windows().WindowCount() == count; };
  }
};

TEST_F(OutOfMemory, RegisterClassA) {
  WNDCLASSA wndClass{};
  wndClass.lpfnWndProc = DefWindowProcA;
  wndClass.lpszClassName = "Plumo Out Of Memory";
  WNDCLASSA found{};
  EXPECT_GT(FailEachAllocation<ATOM>(
                "RegisterClassA", 0, [&] { return RegisterClassA(&wndClass); },
                [&] { return !GetClassInfoA(nullptr, wndClass.lpszClassName, &found); },
                [&](ATOM) { UnregisterClassA(wndClass.lpszClassName, nullptr); }),
            0);
}

TEST_F(OutOfMemory, CreateWindowExA) {
  for (DWORD style : {DWORD{WS_POPUP}, DWORD{WS_POPUP | WS_VISIBLE}}) {
    EXPECT_GT(FailEachAllocation<HWND>(
                  "CreateWindowExA", nullptr,
                  [&] {
                    return CreateWindowExA(0, kClassName, "Layer OOM", style, 0, 0, 64, 64, nullptr,
                                           nullptr, nullptr, nullptr);
                  },
                  WindowCountIs(0), [](HWND hwnd) { DestroyWindow(hwnd); }),
              0)
        << std::hex << style;
  }
  EXPECT_TRUE(NativeWindowGoes("Layer OOM")) << "a failed creation left its native window";
}

TEST_F(OutOfMemory, PostMessageA) {
  // The queue allocates a block now and then, not for every message.
  HWND hwnd = CreatePopup(64, 64);
  int failed = 0;
  for (int posted = 0; posted < 100; ++posted) {
    const size_t queued = Windows().QueuedMessages();
    ::testing::internal::CaptureStderr();
    failing_allocation::FailNth(1);
    const BOOL result = PostMessageA(hwnd, WM_USER, 1, 2);
    const bool reached = !failing_allocation::Disarm();
    const std::string said = ::testing::internal::GetCapturedStderr();
    if (!reached) continue;
    ++failed;
    EXPECT_FALSE(result);
    EXPECT_EQ(Windows().QueuedMessages(), queued);
    EXPECT_EQ(said, "plumo: PostMessageA: out of memory\n");
  }
  EXPECT_GT(failed, 0);
}

TEST_F(OutOfMemory, PixelFormatAndContext) {
  HWND hwnd = CreatePopup(64, 64);
  HDC hdc = GetDC(hwnd);
  const PIXELFORMATDESCRIPTOR pfd = Descriptor(32, 24);
  int format = 0;
  EXPECT_GT(FailEachAllocation<int>(
                "ChoosePixelFormat", 0, [&] { return ChoosePixelFormat(hdc, &pfd); }, nullptr,
                [&](int chosen) { format = chosen; }),
            0);
  ASSERT_NE(format, 0);
  // A failed SetPixelFormat leaves the window without one, so it may be set after.
  EXPECT_GT(FailEachAllocation<BOOL>(
                "SetPixelFormat", FALSE, [&] { return SetPixelFormat(hdc, format, &pfd); },
                [&] { return Windows().Find(hwnd)->pixelFormat == 0; }, [](BOOL) {}),
            0);
  EXPECT_GT(FailEachAllocation<HGLRC>(
                "wglCreateContext", nullptr, [&] { return wglCreateContext(hdc); }, nullptr,
                [](HGLRC made) { wglDeleteContext(made); }),
            0);
}

TEST_F(OutOfMemory, DestroyWindowNeedsNone) {
  // Destruction allocates nothing, so memory running out cannot keep a
  // window alive or half-destroyed.
  HWND hwnd = CreatePopup(64, 64, "Layer OOM Destroyed");
  ShowWindow(hwnd, SW_SHOWNORMAL);
  deliveries.reserve(deliveries.size() + 16);  // the test's own record of messages
  failing_allocation::FailNth(1);
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_TRUE(failing_allocation::Disarm()) << "DestroyWindow allocated";
  EXPECT_EQ(Windows().WindowCount(), 0u);
}

}  // namespace

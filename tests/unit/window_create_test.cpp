// GlWindow::Create and Close: the calls, their arguments and order, and the
// state each failing step leaves behind.
#include <cstring>
#include <string>

#include "fake_test.h"
#include "platform/core/layer_windows.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::string H(const void* handle) {
  return fake::Handle(handle).text;
}

class WindowCreateTest : public FakeTest {
 protected:
  // The window's own calls, without the procedure's chatter (deliveries and
  // what the procedure calls while handling them).
  std::vector<std::string> OwnCalls(size_t from = 0) const {
    std::vector<std::string> texts;
    for (size_t i = from; i < platform.calls.size(); ++i) {
      const fake::Call& call = platform.calls[i];
      if (call.name.rfind("->", 0) == 0 || call.name == "GetWindowLongPtrA" ||
          call.name == "DefWindowProcA")
        continue;
      texts.push_back(call.text);
    }
    return texts;
  }

  core::Window* NativeWindow(HWND hwnd) { return core::Windows().Find(hwnd); }
  bool ClassRegistered() { return core::Windows().FindClass("Vrel Window"); }
};

TEST_F(WindowCreateTest, FullscreenCreateMakesEveryCallInOrder) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true)) << TRACE();

  const std::string hwnd = H(window.hwnd);
  const std::string hdc = H(window.hdc);
  const std::vector<fake::Call> registration = platform.Named("RegisterClassA");
  ASSERT_EQ(registration.size(), 1u);
  const std::string proc = H(reinterpret_cast<const void*>(&WindowProc));
  const std::string icon = H(reinterpret_cast<const void*>(0x50000 + 32515));
  const std::string cursor = H(reinterpret_cast<const void*>(0x60000 + 32512));

  std::vector<std::string> calls = OwnCalls();
  // GetClassInfoA's out-pointer is a stack address.
  ASSERT_GE(calls.size(), 2u) << TRACE();
  calls[1] = calls[1].substr(0, calls[1].rfind(','));
  EXPECT_THAT(
      calls,
      ElementsAreArray({
          std::string("GetModuleHandleA(NULL)"),
          std::string("GetClassInfoA(0x400000, \"Vrel Window\""),
          std::string("LoadIconA(NULL, #32515)"),
          std::string("LoadCursorA(NULL, #32512)"),
          "RegisterClassA(0x23, " + proc + ", 0, " + std::to_string(sizeof(LONG_PTR)) +
              ", 0x400000, " + icon + ", " + cursor + ", NULL, NULL, \"Vrel Window\")",
          std::string("AdjustWindowRectEx(0, 0, 640, 480, WS_POPUP, FALSE, WS_EX_APPWINDOW)"),
          std::string("CreateWindowExA(WS_EX_APPWINDOW, \"Vrel Window\", \"Plumo\", "
                      "WS_POPUP|WS_CLIPSIBLINGS|WS_CLIPCHILDREN, 0, 0, 640, 480, NULL, NULL, "
                      "0x400000, NULL)"),
          "SetWindowLongPtrA(" + hwnd + ", 0, " + H(&window) + ")",
          "GetDC(" + hwnd + ")",
          "ChoosePixelFormat(" + hdc + ", 40, 1, 0x1025, 0, 16, 8, 0)",
          // Format 2 of the layer's list: 5/6/5 colour, the fewest depth bits at or above 8.
          "SetPixelFormat(" + hdc + ", 2, " + H(&window.pixelFormat) + ")",
          "wglCreateContext(" + hdc + ")",
          "wglMakeCurrent(" + hdc + ", " + H(window.hglrc) + ")",
          std::string("GetSystemMetrics(SM_CXSCREEN)"),
          std::string("GetSystemMetrics(SM_CYSCREEN)"),
          "ShowWindow(" + hwnd + ", SW_SHOWNORMAL)",
          "SetForegroundWindow(" + hwnd + ")",
          "SetFocus(" + hwnd + ")",
          // dmSize, width, height, bits, DM_BITSPERPEL|DM_PELSWIDTH|DM_PELSHEIGHT, CDS_FULLSCREEN
          std::string("ChangeDisplaySettingsA(148, 640, 480, 16, 0x1c0000, 0x4)"),
          std::string("ShowCursor(FALSE)"),
          std::string("glViewport(0, 0, 640, 480)"),
          std::string("glMatrixMode(GL_PROJECTION)"),
          std::string("glLoadIdentity()"),
          std::string("gluPerspective(45, 1.33333333, 7, 5000)"),
      }))
      << TRACE();

  EXPECT_FALSE(window.IsClosed());
  EXPECT_EQ(window.GetWidth(), 640);
  EXPECT_EQ(window.GetHeight(), 480);
  EXPECT_TRUE(platform.ModeSwitched());
  EXPECT_EQ(platform.CursorCounter(), -1);
  // A fullscreen window is never moved: it stays at (0, 0).
  EXPECT_EQ(platform.Count("SetWindowPos"), 0u);
  // Centred on the 1024 x 768 desktop, whatever the mode switch did later.
  EXPECT_EQ(window.placement.left, 192);
  EXPECT_EQ(window.placement.top, 144);
  EXPECT_EQ(window.placement.right, 832);
  EXPECT_EQ(window.placement.bottom, 624);
}

TEST_F(WindowCreateTest, PixelFormatAsksOnlyForColourDepthAndStencil) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true));

  PIXELFORMATDESCRIPTOR expected{};
  expected.nSize = 40;
  expected.nVersion = 1;
  expected.dwFlags = 0x1025;
  expected.iPixelType = PFD_TYPE_RGBA;
  expected.cColorBits = 16;
  expected.cDepthBits = 8;
  EXPECT_EQ(std::memcmp(&platform.chosenFormat, &expected, sizeof expected), 0);
  EXPECT_EQ(std::memcmp(&window.pixelFormat, &expected, sizeof expected), 0);
}

TEST_F(WindowCreateTest, ThirtyTwoBitsAreAskedAs24ColourBitsButKeptForTheMode) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 32, 24, 8, true, true));
  EXPECT_EQ(platform.chosenFormat.cColorBits, 24);
  EXPECT_EQ(platform.chosenFormat.cDepthBits, 24);
  EXPECT_EQ(platform.chosenFormat.cStencilBits, 8);
  EXPECT_EQ(window.colorBits, 32);
  EXPECT_EQ(platform.Mode().bitsPerPixel, 32);
}

TEST_F(WindowCreateTest, WindowedCreateIsFramedCentredAndSizedAtFirstShow) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, false, true)) << TRACE();

  EXPECT_THAT(Only({"AdjustWindowRectEx", "CreateWindowExA", "SetWindowPos"}),
              ElementsAre("AdjustWindowRectEx(0, 0, 640, 480, WS_OVERLAPPEDWINDOW, FALSE, "
                          "WS_EX_APPWINDOW|WS_EX_WINDOWEDGE)",
                          "CreateWindowExA(WS_EX_APPWINDOW|WS_EX_WINDOWEDGE, \"Vrel Window\", "
                          "\"Plumo\", WS_OVERLAPPEDWINDOW|WS_CLIPSIBLINGS|WS_CLIPCHILDREN, 0, 0, "
                          "656, 519, NULL, NULL, 0x400000, NULL)",
                          "SetWindowPos(" + H(window.hwnd) + ", NULL, 192, 144, 640, 480, 0x5)"))
      << TRACE();
  EXPECT_EQ(platform.Count("ChangeDisplaySettingsA"), 0u);
  EXPECT_EQ(platform.Count("ShowCursor"), 0u);
  // An overlapped window hears of its size at its first show, which is after
  // the link exists, so Resize runs there and again at the end of Create.
  EXPECT_EQ(platform.Count("glViewport"), 2u) << TRACE();
}

TEST_F(WindowCreateTest, CentringTruncatesTowardZero) {
  platform.screenWidth = 640;
  platform.screenHeight = 480;
  for (const auto& [width, left] : {std::pair{641, 0}, std::pair{643, -1}, std::pair{640, 0}}) {
    GlWindow window("Plumo");
    ASSERT_TRUE(window.Create(width, 480, 16, 8, 0, false, false));
    EXPECT_EQ(window.placement.left, left) << "width " << width;
    EXPECT_EQ(window.placement.right, left + width);
    EXPECT_EQ(platform.Named("SetWindowPos").back().args[2], left);
  }
}

TEST_F(WindowCreateTest, HiddenFullscreenWindowLeavesTheDisplayAlone) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, false));
  EXPECT_FALSE(window.IsClosed());
  EXPECT_EQ(platform.Count("ShowWindow"), 0u);
  EXPECT_EQ(platform.Count("ChangeDisplaySettingsA"), 0u);
  EXPECT_FALSE(NativeWindow(window.hwnd)->visible);
  EXPECT_EQ(platform.Count("glViewport"), 1u);
}

TEST_F(WindowCreateTest, TitleKeepsAtMost255Characters) {
  const std::string exact(255, 'a');
  const std::string tooLong(300, 'b');
  GlWindow whole(exact.c_str());
  GlWindow cut(tooLong.c_str());
  EXPECT_EQ(std::string(whole.title), exact);
  EXPECT_EQ(std::string(cut.title), tooLong.substr(0, 255));

  ASSERT_TRUE(cut.Create(64, 48, 16, 8, 0, false, false));
  EXPECT_EQ(core::Windows().Find(cut.hwnd)->title, tooLong.substr(0, 255));
}

TEST_F(WindowCreateTest, ANeverCreatedWindowClosesWithoutTouchingTheDisplay) {
  {
    GlWindow window("Plumo");
    EXPECT_TRUE(window.IsClosed());
    EXPECT_EQ(window.hwnd, nullptr);
    EXPECT_FALSE(window.fullscreen);
  }
  EXPECT_THAT(Names(), ElementsAre("GetModuleHandleA", "UnregisterClassA"));
}

TEST_F(WindowCreateTest, CloseTearsDownInOrderAndCanRunAgain) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true));
  const std::string hwnd = H(window.hwnd);
  const std::string hdc = H(window.hdc);
  const std::string hglrc = H(window.hglrc);
  const size_t start = platform.calls.size();

  window.Close();
  EXPECT_THAT(OwnCalls(start),
              ElementsAre("ChangeDisplaySettingsA(NULL, 0x0)", "ShowCursor(TRUE)",
                          "wglMakeCurrent(NULL, NULL)", "wglDeleteContext(" + hglrc + ")",
                          "ReleaseDC(" + hwnd + ", " + hdc + ")", "DestroyWindow(" + hwnd + ")",
                          "GetModuleHandleA(NULL)", "UnregisterClassA(\"Vrel Window\", 0x400000)"))
      << TRACE();
  EXPECT_EQ(window.hwnd, nullptr);
  EXPECT_EQ(window.hdc, nullptr);
  EXPECT_EQ(window.hglrc, nullptr);
  EXPECT_FALSE(ClassRegistered());
  EXPECT_FALSE(platform.ModeSwitched());
  EXPECT_EQ(platform.CursorCounter(), 0);
  // Close leaves the flag alone: only WM_CLOSE sets it.
  EXPECT_FALSE(window.IsClosed());

  const size_t again = platform.calls.size();
  window.Close();
  EXPECT_THAT(Names(again), ElementsAre("ChangeDisplaySettingsA", "ShowCursor", "GetModuleHandleA",
                                        "UnregisterClassA"));
}

TEST_F(WindowCreateTest, SecondCreateReplacesTheFirstWindow) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, false, true));
  HWND first = window.hwnd;
  ASSERT_TRUE(window.Create(320, 240, 16, 8, 0, false, true)) << TRACE();

  EXPECT_NE(window.hwnd, first);
  EXPECT_EQ(NativeWindow(first), nullptr);
  EXPECT_EQ(platform.Count("RegisterClassA"), 2u);
  const size_t destroyed = platform.IndexOf("DestroyWindow");
  const size_t unregistered = platform.IndexOf("UnregisterClassA");
  const size_t registered = platform.IndexOf("RegisterClassA", unregistered);
  EXPECT_LT(destroyed, unregistered);
  EXPECT_NE(registered, std::string::npos) << TRACE();
  EXPECT_EQ(window.GetWidth(), 320);
}

TEST_F(WindowCreateTest, AnExistingClassIsUsedAsItIs) {
  WNDCLASSA other{};
  other.lpfnWndProc = DefWindowProcA;
  other.lpszClassName = "Vrel Window";
  ASSERT_TRUE(RegisterClassA(&other));
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(64, 48, 16, 8, 0, false, false));
  EXPECT_EQ(platform.Count("RegisterClassA"), 1u);  // the test's own
  EXPECT_EQ(platform.Count("LoadIconA"), 0u);
}

// ---- each failing step and what it leaves

struct FailingStep {
  const char* call;
  bool windowLeft;  // the hidden window still exists
  bool closeRan;    // Close tore everything down
  bool classLeft;   // "Vrel Window" still registered
};

class CreateFailureTest : public WindowCreateTest,
                          public ::testing::WithParamInterface<FailingStep> {};

TEST_P(CreateFailureTest, LeavesTheDescribedState) {
  const FailingStep step = GetParam();
  GlWindow window("Plumo");
  platform.Fail(step.call);
  EXPECT_FALSE(window.Create(640, 480, 16, 8, 0, true, true)) << TRACE();
  EXPECT_TRUE(window.IsClosed());
  EXPECT_EQ(platform.Count("glViewport"), 0u) << "Resize must not run";

  EXPECT_EQ(window.hwnd != nullptr, step.windowLeft) << TRACE();
  EXPECT_EQ(core::Windows().WindowCount(), step.windowLeft ? 1u : 0u);
  EXPECT_EQ(ClassRegistered(), step.classLeft) << TRACE();
  if (step.closeRan) {
    // Close restores the display and the cursor though neither was changed.
    EXPECT_THAT(Only({"ChangeDisplaySettingsA", "ShowCursor"}),
                ElementsAre("ChangeDisplaySettingsA(NULL, 0x0)", "ShowCursor(TRUE)"));
    EXPECT_EQ(window.hglrc, nullptr);
    EXPECT_EQ(window.hdc, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(EachStep, CreateFailureTest,
                         ::testing::Values(FailingStep{"RegisterClassA", false, false, false},
                                           // The class this call registered is unregistered again.
                                           FailingStep{"CreateWindowExA", false, false, false},
                                           // The hidden window stays until Close.
                                           FailingStep{"GetDC", true, false, true},
                                           FailingStep{"ChoosePixelFormat", false, true, false},
                                           FailingStep{"SetPixelFormat", false, true, false},
                                           FailingStep{"wglCreateContext", false, true, false},
                                           FailingStep{"wglMakeCurrent", false, true, false}),
                         [](const auto& param) { return std::string(param.param.call); });

TEST_F(WindowCreateTest, RefusedDisplayModeLeavesTheWindowShownAndTheCursorAlone) {
  GlWindow window("Plumo");
  platform.Fail("ChangeDisplaySettingsA");
  EXPECT_FALSE(window.Create(640, 480, 16, 8, 0, true, true));
  EXPECT_TRUE(window.IsClosed());
  EXPECT_TRUE(NativeWindow(window.hwnd)->visible);
  EXPECT_EQ(core::CurrentContext(), window.hglrc);
  EXPECT_EQ(platform.Count("ShowCursor"), 0u);
  EXPECT_EQ(platform.Count("glViewport"), 0u);
  EXPECT_FALSE(platform.ModeSwitched());
}

TEST_F(WindowCreateTest, DestructorReleasesWhatAFailedCreateLeft) {
  {
    GlWindow window("Plumo");
    platform.Fail("GetDC");
    ASSERT_FALSE(window.Create(640, 480, 16, 8, 0, true, true));
  }
  EXPECT_EQ(core::Windows().WindowCount(), 0u);
  EXPECT_FALSE(ClassRegistered());
  EXPECT_FALSE(platform.ModeSwitched());
}

}  // namespace

// Every platform call the program makes that can fail, failed once in turn
// through the whole program: it must end as designed and leave the display,
// the cursor and every resource as it found them. (The sanitizer build runs
// this too, so a leak on any of these paths fails it.)
#include "fake_test.h"
#include "platform/core/layer_windows.h"

namespace {

struct Fault {
  const char* call;
  int nth;
  int status;  // 1 where the window could not be opened, 0 where the demo ran
};

std::ostream& operator<<(std::ostream& out, const Fault& fault) {
  return out << fault.call << " #" << fault.nth;
}

class FaultMatrixTest : public FakeTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(FaultMatrixTest, EndsAsDesignedAndRestoresEverything) {
  const Fault fault = GetParam();
  platform.recordVertices = false;
  platform.counterStep = 16000;
  platform.Fail(fault.call, fault.nth);
  int swaps = 0;
  // The user presses Escape, and once more if the first press got lost.
  platform.onCall = [&swaps](const fake::Call& call) {
    if (call.name == "SwapBuffers" && (++swaps == 5 || swaps == 8))
      core::Windows().Post(currentWindow->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  };

  const int status = WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);

  ASSERT_NE(platform.Dump().find("injected failure"), std::string::npos)
      << fault << " was never reached";
  EXPECT_EQ(status, fault.status);
  EXPECT_FALSE(platform.ModeSwitched())
      << "display left at " << platform.Mode().width << "x" << platform.Mode().height;
  EXPECT_EQ(platform.Mode().width, platform.screenWidth);
  // The cursor shows again; where it was hidden, the counter is back where it started.
  EXPECT_GE(platform.CursorCounter(), 0);
  if (platform.Named("ShowCursor").size() > 0 && platform.Named("ShowCursor")[0].args[0] == 0) {
    EXPECT_EQ(platform.CursorCounter(), 0);
  }
  EXPECT_EQ(core::Windows().WindowCount(), 0u);
  EXPECT_FALSE(core::Windows().FindClass("Vrel Window"));
  EXPECT_TRUE(platform.liveContexts == 0);
  EXPECT_EQ(core::CurrentContext(), nullptr);
  EXPECT_TRUE(platform.LiveFonts() == 0) << "GDI font object leaked";
  EXPECT_EQ(platform.glCallsWithoutContext, 0) << TRACE();
  EXPECT_EQ(platform.modelviewDepth, 1);
  EXPECT_EQ(platform.projectionDepth, 1);
  EXPECT_EQ(platform.attribDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFallibleCall, FaultMatrixTest,
    ::testing::Values(
        // window and context
        Fault{"GetModuleHandleA", 1, 0}, Fault{"GetClassInfoA", 1, 0}, Fault{"LoadIconA", 1, 0},
        Fault{"LoadCursorA", 1, 0}, Fault{"RegisterClassA", 1, 1},
        Fault{"AdjustWindowRectEx", 1, 0}, Fault{"CreateWindowExA", 1, 1}, Fault{"GetDC", 1, 1},
        Fault{"ChoosePixelFormat", 1, 1}, Fault{"SetPixelFormat", 1, 1},
        Fault{"wglCreateContext", 1, 1}, Fault{"wglMakeCurrent", 1, 1},
        Fault{"SetForegroundWindow", 1, 0}, Fault{"SetFocus", 1, 0},
        Fault{"ChangeDisplaySettingsA", 1, 1},
        // font
        Fault{"CreateFontA", 1, 0}, Fault{"glGenLists", 1, 0}, Fault{"glGenLists", 2, 0},
        Fault{"glGenLists", 3, 0}, Fault{"SelectObject", 1, 0}, Fault{"wglUseFontBitmapsA", 1, 0},
        Fault{"wglUseFontOutlinesA", 1, 0}, Fault{"wglUseFontOutlinesA", 2, 0},
        Fault{"GetCharWidthA", 1, 0}, Fault{"LPtoDP", 1, 0}, Fault{"SelectObject", 2, 0},
        // the loop and teardown
        Fault{"PeekMessageA", 3, 0}, Fault{"SwapBuffers", 2, 0}, Fault{"PostMessageA", 1, 0},
        Fault{"QueryPerformanceFrequency", 1, 0}, Fault{"ReleaseDC", 1, 0},
        Fault{"DestroyWindow", 1, 0}),
    [](const auto& param) {
      return std::string(param.param.call) + "_" + std::to_string(param.param.nth);
    });

}  // namespace

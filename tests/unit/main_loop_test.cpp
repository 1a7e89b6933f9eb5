// The whole program on the fake: WinMain's loop, its phases, how it ends and
// what it returns.
#include "fake_test.h"
#include "platform/core/layer_windows.h"

namespace {

using ::testing::ElementsAre;

class MainLoopTest : public FakeTest {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    platform.recordVertices = false;  // 2,400 a frame; the scene's own tests look at them
    platform.counterStep = 16000;     // 16 ms a counter read
    platform.onCall = [this](const fake::Call& call) {
      if (call.name != "SwapBuffers") return;
      ++swaps;
      auto it = script.find(swaps);
      if (it != script.end()) it->second();
    };
  }

  // Posts `message` to the demo's window once `swap` frames were presented.
  void PostAfterSwap(int swap, UINT message, WPARAM wParam = 0, HWND to = nullptr,
                     bool toThread = false) {
    script[swap] = [=] {
      HWND target = toThread ? nullptr : (to ? to : currentWindow->hwnd);
      core::Windows().Post(target, message, wParam, 0);
    };
  }

  int Run() { return WinMain(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL); }

  int swaps = 0;
  std::map<int, std::function<void()>> script;
};

TEST_F(MainLoopTest, EscapeEndsThePassAfterItWithoutPresenting) {
  PostAfterSwap(3, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(Run(), 0) << TRACE();

  const size_t escape = platform.IndexOf("DispatchMessageA");
  ASSERT_NE(escape, std::string::npos);
  EXPECT_EQ(platform.calls[escape].text.rfind("DispatchMessageA(WM_KEYDOWN", 0), 0u);
  // The Escape pass still presents; the next pass dispatches WM_CLOSE, runs
  // its frame and ends without presenting it.
  const size_t close = platform.IndexOf("DispatchMessageA", escape + 1);
  ASSERT_NE(close, std::string::npos) << TRACE();
  EXPECT_EQ(platform.calls[close].text.rfind("DispatchMessageA(WM_CLOSE", 0), 0u) << TRACE();
  EXPECT_NE(platform.IndexOf("SwapBuffers", escape), std::string::npos);
  EXPECT_LT(platform.IndexOf("SwapBuffers", escape), close);
  EXPECT_NE(platform.IndexOf("glClear", close), std::string::npos) << "the last pass still renders";
  EXPECT_EQ(platform.IndexOf("SwapBuffers", close), std::string::npos);
  EXPECT_EQ(swaps, 4);

  // Teardown gave everything back.
  EXPECT_FALSE(platform.ModeSwitched());
  EXPECT_EQ(platform.CursorCounter(), 0);
  EXPECT_TRUE(platform.liveContexts == 0);
  EXPECT_EQ(core::Windows().WindowCount(), 0u);
  EXPECT_FALSE(core::Windows().FindClass("Vrel Window"));
  EXPECT_TRUE(platform.LiveFonts() == 0) << "the font object leaked";
  EXPECT_EQ(platform.glCallsWithoutContext, 0) << TRACE();
}

TEST_F(MainLoopTest, PhasesTakeOnePassEach) {
  PostAfterSwap(3, WM_CLOSE);
  Run();
  const std::vector<std::string> passes =
      Only({"CreateWindowExA", "glGenLists", "glClear", "SwapBuffers", "Sleep"});
  EXPECT_THAT(passes,
              ElementsAre(
                  // Init, presented once
                  ::testing::StartsWith("CreateWindowExA"), "SwapBuffers(0x20001)", "Sleep(1)",
                  // Load, presented without drawing
                  "glGenLists(256)", "glGenLists(256)", "glGenLists(256)", "SwapBuffers(0x20001)",
                  "Sleep(1)",
                  // Render
                  ::testing::StartsWith("glClear"), "SwapBuffers(0x20001)", "Sleep(1)",
                  // the pass that dispatches WM_CLOSE renders and ends unpresented
                  ::testing::StartsWith("glClear"), "Sleep(1)"));
}

TEST_F(MainLoopTest, InitOpensThePlumoWindowFullscreenIn640x480x16) {
  PostAfterSwap(1, WM_CLOSE);
  Run();
  EXPECT_THAT(Only({"CreateWindowExA", "ChoosePixelFormat", "ChangeDisplaySettingsA"}),
              ElementsAre("CreateWindowExA(WS_EX_APPWINDOW, \"Vrel Window\", \"Plumo\", "
                          "WS_POPUP|WS_CLIPSIBLINGS|WS_CLIPCHILDREN, 0, 0, 640, 480, NULL, NULL, "
                          "0x400000, NULL)",
                          // 16 colour bits, 8 depth bits, no stencil
                          "ChoosePixelFormat(0x20001, 40, 1, 0x1025, 0, 16, 8, 0)",
                          "ChangeDisplaySettingsA(148, 640, 480, 16, 0x1c0000, 0x4)",
                          "ChangeDisplaySettingsA(NULL, 0x0)"));
}

TEST_F(MainLoopTest, EachPassPollsWithoutWaiting) {
  PostAfterSwap(2, WM_CLOSE);
  Run();
  for (const fake::Call& poll : platform.Named("PeekMessageA")) {
    EXPECT_EQ(poll.text.substr(poll.text.find(',')), ", NULL, 0, 0, 1)");
  }
  EXPECT_EQ(platform.Count("PeekMessageA"), platform.Count("Sleep"));
}

TEST_F(MainLoopTest, DispatchComesBeforeTranslate) {
  PostAfterSwap(3, WM_KEYDOWN, 'A');
  PostAfterSwap(5, WM_CLOSE);
  Run();
  const size_t dispatch = platform.IndexOf("DispatchMessageA");
  const size_t translate = platform.IndexOf("TranslateMessage");
  EXPECT_LT(dispatch, translate);
  EXPECT_LT(translate, platform.IndexOf("PeekMessageA", dispatch)) << "translated in another pass";
  // TranslateMessage turned the key into a WM_CHAR, handled in the next pass.
  EXPECT_EQ(platform.calls[platform.IndexOf("DispatchMessageA", dispatch + 1)].args[0], WM_CHAR);
}

TEST_F(MainLoopTest, QuitMessageDoesNotEndTheProgram) {
  PostAfterSwap(3, WM_QUIT, 0, nullptr, true);
  PostAfterSwap(6, WM_CLOSE);
  EXPECT_EQ(Run(), 0);
  const size_t quit = platform.IndexOf("DispatchMessageA");
  EXPECT_EQ(platform.calls[quit].args[0], WM_QUIT) << TRACE();
  EXPECT_EQ(swaps, 6);
}

TEST_F(MainLoopTest, ABurstIsDrainedOnePerPassBetweenFrames) {
  script[3] = [] {
    for (UINT i = 0; i < 4; ++i) core::Windows().Post(currentWindow->hwnd, WM_USER + i, 0, 0);
  };
  PostAfterSwap(10, WM_CLOSE);
  Run();
  const std::vector<std::string> order = Only({"DispatchMessageA", "SwapBuffers"});
  const std::string swap = "SwapBuffers(0x20001)";
  // Frames 1-3, then one message and one frame per pass.
  ASSERT_GE(order.size(), 11u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(order[3 + 2 * i].rfind("DispatchMessageA(0x" + std::to_string(400 + i), 0), 0u)
        << order[3 + 2 * i];
    EXPECT_EQ(order[4 + 2 * i], swap);
  }
}

TEST_F(MainLoopTest, ClosingTheWindowEndsWithStatusZero) {
  PostAfterSwap(4, WM_SYSCOMMAND, SC_CLOSE);
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(platform.ModeSwitched());
}

TEST_F(MainLoopTest, FailedCreationEndsAtOnceWithStatusOne) {
  platform.Fail("CreateWindowExA");
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(platform.Count("PeekMessageA"), 1u);
  EXPECT_EQ(platform.Count("SwapBuffers"), 0u);
  EXPECT_EQ(platform.Count("glGenLists"), 0u) << "Load ran";
  EXPECT_EQ(platform.Count("glClear"), 0u) << "Render ran";
  EXPECT_EQ(platform.Count("MessageBoxA"), 0u);
}

TEST_F(MainLoopTest, RefusedDisplayModeEndsWithStatusOneAndRestoresEverything) {
  platform.Fail("ChangeDisplaySettingsA");
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(platform.Count("SwapBuffers"), 0u);
  EXPECT_FALSE(platform.ModeSwitched());
  EXPECT_TRUE(platform.liveContexts == 0);
  EXPECT_EQ(core::Windows().WindowCount(), 0u);
}

TEST_F(MainLoopTest, UnallocatableSceneEndsWithStatusOneAndNoCall) {
  fake::FailNothrowAllocation(1);
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(platform.calls.empty()) << TRACE();
}

TEST_F(MainLoopTest, UnallocatableWindowEndsTheLoopInsteadOfSpinning) {
  fake::FailNothrowAllocation(2);  // the scene, then its window
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(platform.Count("PeekMessageA"), 1u);
  EXPECT_EQ(platform.Count("CreateWindowExA"), 0u);
}

}  // namespace

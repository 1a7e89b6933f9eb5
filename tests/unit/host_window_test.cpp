// Screensaver mode in the core: the demo's fullscreen window draws into the
// window it was given, which stays its owner's. Whatever the demo does with
// its window, the layer asks the window system only to adopt the host and to
// let it go; the picture keeps the display mode's size whatever the host's.
#include <string>
#include <vector>

#include "fake_test.h"
#include "platform/core/options.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsSupersetOf;

class HostWindowTest : public FakeTest {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    saved = core::LayerOptions();
  }
  void TearDown() override { core::LayerOptions() = saved; }

  static void GiveHost() { core::LayerOptions().host = core::HostWindow{true, 0x400008}; }

  // The demo's fullscreen window from creation to close, with a frame, a
  // resize of its native window and the layer's own Alt+Enter in between.
  void RunTheDemosWindow() {
    GlWindow window("Plumo");
    ASSERT_TRUE(window.Create(640, 480, 16, 16, 0, true, true)) << TRACE();
    core::Surface* surface = platform.SurfaceOf(window.hwnd);
    core::Event resized;
    resized.kind = core::Event::kResized;
    resized.surface = surface;
    resized.x = 1000;
    resized.y = 600;
    platform.events.push_back(resized);
    core::Event altEnter;
    altEnter.surface = surface;
    altEnter.virtualKey = VK_RETURN;
    altEnter.alt = true;
    platform.events.push_back(altEnter);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    window.Swap();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    RECT client{};
    GetClientRect(window.hwnd, &client);
    EXPECT_EQ(client.right, 640) << "the picture keeps the mode's size";
    EXPECT_EQ(client.bottom, 480);
    window.Close();
  }

  core::Options saved;
};

TEST_F(HostWindowTest, TheDemosWindowOnlyAdoptsTheHostAndLetsItGo) {
  GiveHost();
  RunTheDemosWindow();
  EXPECT_THAT(platform.windowSystem, ElementsAre("CreateSurface(host)", "DestroySurface"));
  EXPECT_EQ(platform.swaps, 1);
}

// The same run with a window of the layer's own asks for all of it, so the
// test above sees what the core holds back.
TEST_F(HostWindowTest, AWindowOfItsOwnIsShownCoveredFocusedAndGivenBack) {
  RunTheDemosWindow();
  EXPECT_THAT(platform.windowSystem,
              IsSupersetOf({"CreateSurface", "ShowSurface", "RaiseSurface", "FocusSurface",
                            "CoverDisplay", "ShowInWindow", "ResizeSurface", "ShowCursor",
                            "LeaveFullscreen", "DestroySurface"}));
}

// Whatever else the options say: the host's owner keeps the display as it is.
TEST_F(HostWindowTest, TheDisplayModeStaysVirtualEvenWithARealSwitchAskedFor) {
  GiveHost();
  core::LayerOptions().switchMode = true;
  RunTheDemosWindow();
  EXPECT_THAT(platform.windowSystem, ElementsAre("CreateSurface(host)", "DestroySurface"));
}

TEST_F(HostWindowTest, OneWindowHoldsTheHostAtATime) {
  GiveHost();
  GlWindow first("Plumo");
  ASSERT_TRUE(first.Create(640, 480, 16, 16, 0, true, true)) << TRACE();
  GlWindow second("Second");
  ASSERT_TRUE(second.Create(320, 240, 16, 16, 0, false, false)) << TRACE();
  // The second window is a native window of the layer's own, placed as usual.
  EXPECT_THAT(platform.windowSystem,
              ElementsAre("CreateSurface(host)", "CreateSurface", "MoveSurface"));
  first.Close();
  second.Close();
  platform.windowSystem.clear();
  // Given back with its holder, the host goes to the next window made.
  GlWindow third("Plumo");
  ASSERT_TRUE(third.Create(640, 480, 16, 16, 0, true, true)) << TRACE();
  EXPECT_EQ(platform.windowSystem.front(), "CreateSurface(host)");
}

}  // namespace

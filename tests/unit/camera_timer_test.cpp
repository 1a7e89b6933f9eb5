// The camera's projection and view, and the frame timer on the scripted counter.
#include "fake_test.h"
#include "toolkit/camera.h"
#include "toolkit/frame_timer.h"

namespace {

using ::testing::ElementsAre;

class CameraTest : public FakeTest {
 protected:
  void SetUp() override {
    FakeTest::SetUp();
    // The camera draws into whatever context is current; any will do.
    platform.contextCurrent = true;
  }

  std::vector<std::string> GlCalls(size_t from = 0) const {
    std::vector<std::string> texts;
    for (size_t i = from; i < platform.calls.size(); ++i)
      if (platform.calls[i].name.rfind("gl", 0) == 0) texts.push_back(platform.calls[i].text);
    return texts;
  }
};

TEST_F(CameraTest, DefaultsLookDownPlusZFromMinusTen) {
  Camera camera;
  EXPECT_EQ(camera.zFar, 10000.0f);
  EXPECT_EQ(camera.zNear, 0.1f);
  EXPECT_EQ(camera.fov, 45.0f);
  EXPECT_FALSE(camera.enabled);
  EXPECT_EQ(camera.window, nullptr);
  camera.enabled = true;
  camera.Apply();
  EXPECT_THAT(GlCalls(),
              ElementsAre("glMatrixMode(GL_PROJECTION)", "glLoadIdentity()",
                          // no window: an aspect ratio of 1
                          "gluPerspective(45, 1, 0.100000001, 10000)", "glMatrixMode(GL_MODELVIEW)",
                          "glLoadIdentity()", "gluLookAt(0, 0, -10, 0, 0, 0, 0, 1, 0)"));
}

TEST_F(CameraTest, AspectComesFromTheAttachedWindow) {
  GlWindow window("Plumo");
  ASSERT_TRUE(window.Create(640, 480, 16, 8, 0, true, true));
  Camera camera;
  camera.SetWindow(&window);
  camera.enabled = true;
  const size_t start = platform.calls.size();
  camera.Apply();
  EXPECT_EQ(Only({"gluPerspective"}, start)[0],
            "gluPerspective(45, 1.33333333, 0.100000001, 10000)");
  EXPECT_EQ(platform.Named("gluPerspective").back().args[1], 640.0 / 480.0);

  // A window of no height is taken as 1 pixel high, not divided by.
  window.Resize(640, 0);
  camera.Apply();
  EXPECT_EQ(platform.Named("gluPerspective").back().args[1], 640.0);
}

TEST_F(CameraTest, EachSetterAppliesSoTwoSettersApplyTwice) {
  Camera camera;
  camera.enabled = true;
  camera.SetEye(Vector3(10, 10, 10));
  camera.SetCenter(Vector3(15, 15, 0));
  EXPECT_THAT(Only({"gluLookAt"}), ElementsAre("gluLookAt(10, 10, 10, 0, 0, 0, 0, 1, 0)",
                                               "gluLookAt(10, 10, 10, 15, 15, 0, 0, 1, 0)"));
  camera.SetView(Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(0, 0, 1));
  camera.SetView(Vector3(7, 8, 9));
  camera.SetView(Vector3(1, 1, 1), Vector3(2, 2, 2));
  EXPECT_THAT(
      Only({"gluLookAt"}),
      ElementsAre(::testing::_, ::testing::_, "gluLookAt(1, 2, 3, 4, 5, 6, 0, 0, 1)",
                  "gluLookAt(7, 8, 9, 4, 5, 6, 0, 0, 1)", "gluLookAt(1, 1, 1, 2, 2, 2, 0, 0, 1)"));
}

TEST_F(CameraTest, DisabledCameraStoresAndAttachesButDrawsNothing) {
  Camera camera;
  GlWindow window("Plumo");
  currentWindow = &window;
  camera.SetEye(Vector3(1, 2, 3));
  camera.SetCenter(Vector3(4, 5, 6));
  EXPECT_TRUE(GlCalls().empty());
  EXPECT_EQ(camera.eye.z, 3.0f);
  EXPECT_EQ(camera.center.x, 4.0f);
  EXPECT_EQ(camera.window, &window) << "Apply attaches the current window even when disabled";
}

TEST_F(CameraTest, DetachedCameraPicksUpTheCurrentWindowAgain) {
  GlWindow window("Plumo");
  Camera camera;
  currentWindow = &window;
  camera.SetWindow(nullptr);
  camera.Apply();
  EXPECT_EQ(camera.window, &window);
}

class FrameTimerTest : public FakeTest {};

TEST_F(FrameTimerTest, EachCallMeasuresFromThePreviousOne) {
  platform.frequency = 1000;
  FrameTimer timer;
  platform.counterScript = {5000, 5016, 5016, 5049};
  timer.Start();
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.016);
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.0);
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.033);
}

TEST_F(FrameTimerTest, ALongGapIsReturnedWhole) {
  platform.frequency = 10000000;
  FrameTimer timer;
  platform.counterScript = {0, 10000000LL * 3600};
  timer.Start();
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 3600.0);
}

TEST_F(FrameTimerTest, WithoutAHighResolutionCounterTimeStandsStill) {
  platform.frequency = 0;
  FrameTimer timer;
  platform.counterScript = {0, 500};
  timer.Start();
  EXPECT_EQ(timer.Elapsed(), 0.0);
}

}  // namespace

// The fixed-step clock against the demo's own arithmetic: which swaps are
// frames, and the scene time each frame is drawn at.
#include <gtest/gtest.h>

#include <cmath>

#include "capture/capture_options.h"
#include "capture/frame_clock.h"
#include "scene_reference.h"

namespace {

using capture::FrameClock;

// The demo's side of the clock, as its FrameTimer and scene do it: Start reads
// the counter at the end of Load; each Render adds (now - last) / frequency to
// the scene time and, once the time reaches 24 s, draws that frame and then
// sets the time back to 0.
class DemoClock {
 public:
  explicit DemoClock(FrameClock* clockArg) : clock(clockArg) {
    frequency = clock->Frequency();
    EXPECT_EQ(clock->Present(&ignored), FrameClock::Swap::kNotAFrame) << "Init's swap";
    last = clock->Read();
    EXPECT_EQ(clock->Present(&ignored), FrameClock::Swap::kNotAFrame) << "Load's swap";
  }
  // One Render pass: the scene time it draws at, and the frame its swap presents.
  double Render(int64_t* frame) {
    const int64_t now = clock->Read();
    const int64_t delta = now - last;
    last = now;
    sceneTime += static_cast<double>(delta) / static_cast<double>(frequency);
    const double drawnAt = sceneTime;
    if (sceneTime >= 24) sceneTime = 0;
    EXPECT_EQ(clock->Present(frame), FrameClock::Swap::kFrame);
    return drawnAt;
  }

 private:
  FrameClock* clock;
  int64_t frequency = 0;
  int64_t last = 0;
  int64_t ignored = 0;
  double sceneTime = 0;
};

TEST(FrameClock, InitAndLoadSwapsAreNotFramesAndFrameZeroIsAtTimeZero) {
  FrameClock clock(60);
  int64_t frame = -1;
  EXPECT_EQ(clock.Present(&frame), FrameClock::Swap::kNotAFrame);  // Init
  const int64_t start = clock.Read();                              // Load: Start
  EXPECT_EQ(clock.Present(&frame), FrameClock::Swap::kNotAFrame);  // Load
  EXPECT_EQ(clock.Read(), start) << "the first Render reads what Start read";
  ASSERT_EQ(clock.Present(&frame), FrameClock::Swap::kFrame);
  EXPECT_EQ(frame, 0);
  EXPECT_GT(clock.Read(), start) << "the next frame is a step later";
  ASSERT_EQ(clock.Present(&frame), FrameClock::Swap::kFrame);
  EXPECT_EQ(frame, 1);
  EXPECT_EQ(clock.FramesPresented(), 2);
  EXPECT_FALSE(clock.OutOfStep());
}

TEST(FrameClock, EachFrameIsDrawnAtItsFrameNumberOverFps) {
  for (int fps : {60, 30, 25, 24, 50, 7, 144}) {
    SCOPED_TRACE("fps " + std::to_string(fps));
    FrameClock clock(fps);
    DemoClock demo(&clock);
    const int64_t cycle = 24 * static_cast<int64_t>(fps);
    for (int64_t k = 0; k <= 2 * cycle + 1; ++k) {
      int64_t frame = -1;
      const double t = demo.Render(&frame);
      ASSERT_EQ(frame, k);
      const double expected = render_test::SceneTimeOfFrame(k, fps);
      ASSERT_NEAR(t, expected, 1e-12) << "frame " << k;
      // Whole seconds exactly: the slot ends and the end of the cycle.
      if (k % fps == 0) {
        ASSERT_EQ(t, expected) << "frame " << k;
      }
    }
  }
}

TEST(FrameClock, TheCycleEndsOnFrame1440At60Fps) {
  FrameClock clock(60);
  DemoClock demo(&clock);
  int64_t frame = 0;
  double t = 0;
  double frameOne = 0;
  for (int64_t k = 0; k <= 1439; ++k) {
    t = demo.Render(&frame);
    if (k == 1) frameOne = t;
  }
  EXPECT_LT(t, 24.0) << "frame 1439 still shows the last caption";
  EXPECT_EQ(demo.Render(&frame), 24.0) << "frame 1440 is at 24 s exactly";
  EXPECT_EQ(frame, 1440);
  EXPECT_EQ(demo.Render(&frame), frameOne)
      << "frame 1441 starts again from its own step, as frame 1";
}

TEST(FrameClock, StepsStayWithinOneCountOfAFrame) {
  FrameClock clock(60);
  const double step = static_cast<double>(FrameClock::kFrequency) / 60;
  for (int64_t k = 1; k < 1000; ++k) {
    const int64_t delta = clock.CounterAt(k) - clock.CounterAt(k - 1);
    ASSERT_LE(std::abs(delta - step), 1.0) << "frame " << k;
  }
}

TEST(FrameClock, TheLongestRecordingFitsTheCounter) {
  const int fps = 1000;
  FrameClock clock(fps);
  const int64_t last = capture::kMaxSeconds * fps;
  EXPECT_EQ(clock.CounterAt(last), capture::kMaxSeconds * FrameClock::kFrequency);
  EXPECT_GT(clock.CounterAt(last), clock.CounterAt(last - 1));
}

TEST(FrameClock, ARenderPassThatReadsTheClockTwiceIsNoticed) {
  FrameClock clock(60);
  int64_t frame = 0;
  clock.Present(&frame);
  clock.Read();
  clock.Present(&frame);
  clock.Read();
  clock.Present(&frame);
  EXPECT_FALSE(clock.OutOfStep());
  clock.Read();
  clock.Read();
  clock.Present(&frame);
  EXPECT_TRUE(clock.OutOfStep());
}

}  // namespace

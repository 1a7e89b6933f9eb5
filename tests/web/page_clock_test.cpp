// The page's clock: what the program reads and which frames the page shows,
// in real time, on a fixed step, and as reduced motion's still.
#include "platform/web/page_clock.h"

#include <gtest/gtest.h>

namespace {

using web::PageClock;

const int64_t kMicroseconds = 1000000;

// One pass of the demo's loop after Load: Render reads once, then the swap.
PageClock::Frame RenderPass(PageClock& clock, double nowMs, int64_t* read) {
  *read = clock.Read(nowMs);
  return clock.Present();
}

TEST(PageClock, RealTimeIsTheBrowsersClockInMicrosecondsAndShowsEveryFrame) {
  PageClock clock;
  clock.UseRealTime();
  EXPECT_EQ(clock.Frequency(), kMicroseconds);
  EXPECT_EQ(clock.Read(1500.25), 1500250);
  EXPECT_EQ(clock.Peek(1500.25), 1500250);
  for (int frame = 1; frame <= 3; ++frame) {
    const PageClock::Frame presented = clock.Present();
    EXPECT_TRUE(presented.shown && presented.counted);
    EXPECT_EQ(presented.frames, frame);
    EXPECT_FALSE(presented.held || presented.fixedStep);
  }
  EXPECT_FALSE(clock.Held());
  EXPECT_FALSE(clock.Unpaced());
}

TEST(PageClock, AFixedStepShowsEveryPassAndHoldsAfterItsFrames) {
  PageClock clock;
  clock.UseFixedStep(3, 60);
  EXPECT_EQ(clock.Frequency(), capture::FrameClock(60).Frequency());
  EXPECT_TRUE(clock.Unpaced());
  EXPECT_FALSE(clock.Present().counted) << "Init's pass";
  clock.Read(0);  // Load's: the timer starts
  EXPECT_FALSE(clock.Present().counted) << "Load's pass";
  int64_t read = 0;
  for (int64_t frame = 0; frame < 3; ++frame) {
    const PageClock::Frame presented = RenderPass(clock, 0, &read);
    EXPECT_EQ(read, capture::FrameClock(60).CounterAt(frame));
    EXPECT_TRUE(presented.shown && presented.counted && presented.fixedStep);
    EXPECT_EQ(presented.held, frame == 2) << frame;
  }
  EXPECT_TRUE(clock.Held());
}

TEST(PageClock, TheStillShowsOnlyItsOwnSecondAndHoldsThere) {
  PageClock clock;
  clock.UseStill(9);
  EXPECT_EQ(clock.Frequency(), kMicroseconds);
  EXPECT_FALSE(clock.Present().shown) << "Init's pass";
  EXPECT_EQ(clock.Read(5000), 0) << "Start's read, at Load";
  EXPECT_FALSE(clock.Present().shown) << "Load's pass";
  int64_t read = 0;
  for (int64_t second = 0; second <= 9; ++second) {
    const PageClock::Frame presented = RenderPass(clock, 5000, &read);
    EXPECT_EQ(read, second * kMicroseconds);
    EXPECT_EQ(presented.shown, second == 9) << "second " << second;
    EXPECT_EQ(presented.held, second == 9) << "second " << second;
    EXPECT_TRUE(presented.counted);
    EXPECT_FALSE(presented.fixedStep);
  }
  // Input makes the held still draw again: the same second, shown.
  const PageClock::Frame again = RenderPass(clock, 90000, &read);
  EXPECT_EQ(read, 9 * kMicroseconds);
  EXPECT_TRUE(again.shown && again.held);
  EXPECT_EQ(clock.Peek(90000), 9 * kMicroseconds);
}

TEST(PageClock, APlayedStillGoesOnInRealTimeFromItsSecondAtTheSameFrequency) {
  PageClock clock;
  clock.UseStill(9);
  clock.Present();
  clock.Read(0);
  clock.Present();
  int64_t read = 0;
  for (int second = 0; second <= 9; ++second) RenderPass(clock, 0, &read);
  clock.Play(120000.0);
  EXPECT_FALSE(clock.Held());
  EXPECT_FALSE(clock.Unpaced()) << "played, it follows the display";
  EXPECT_EQ(clock.Frequency(), kMicroseconds);
  EXPECT_EQ(clock.Read(120000.0), 9 * kMicroseconds);
  const PageClock::Frame next = RenderPass(clock, 120250.0, &read);
  EXPECT_EQ(read, 9 * kMicroseconds + 250000);
  EXPECT_TRUE(next.shown && next.counted);
  EXPECT_EQ(next.frames, 11) << "the page's count goes on from the still's";
  clock.Play(130000.0);  // played twice: nothing more
  EXPECT_EQ(clock.Read(130000.0), 19 * kMicroseconds);
}

TEST(PageClock, AStillPlayedBeforeItsSecondGoesOnFromWhereItStands) {
  PageClock clock;
  clock.UseStill(9);
  clock.Present();
  clock.Read(0);
  clock.Present();
  int64_t read = 0;
  for (int second = 0; second <= 2; ++second) RenderPass(clock, 0, &read);
  clock.Play(1000.0);
  EXPECT_EQ(clock.Read(1000.0), 3 * kMicroseconds);
  EXPECT_TRUE(clock.Present().shown);
}

}  // namespace

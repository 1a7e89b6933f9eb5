// The pacing arithmetic on a clock the test moves: deadlines on the grid of
// the display's period, no drift, a new grid after a late frame or a new
// rate, the cap, and what the first frames tell of the driver.
#include "platform/core/frame_pacer.h"

#include <gtest/gtest.h>

namespace {

using core::FramePacer;

const int64_t kNs = 1000000000;

// A pacer that has found a driver that does not wait (swaps return at once).
FramePacer Unpaced(int64_t milliHz, int maxFps = 0, int64_t* now = nullptr) {
  FramePacer pacer(kNs);
  pacer.Configure(milliHz, true, maxFps);
  int64_t t = 0;
  for (int i = 0; i < 25 && !pacer.LayerPaces(); ++i) {
    t += 1000000;  // 1 ms a frame: far faster than any display
    pacer.Presented(t);
  }
  if (now) *now = t;
  return pacer;
}

TEST(FramePacer, DeadlinesLieOnTheGridOfTheDisplaysPeriod) {
  int64_t now = 0;
  FramePacer pacer = Unpaced(60000, 0, &now);
  ASSERT_TRUE(pacer.LayerPaces());
  EXPECT_EQ(pacer.Period(), 16666666);
  const int64_t first = pacer.Deadline(now);
  EXPECT_EQ(first, now) << "a new grid starts at once";
  pacer.Presented(first + 300000);
  // The program comes back early: it waits for the next line of the grid.
  EXPECT_EQ(pacer.Deadline(first + 2000000), first + 16666666);
  pacer.Presented(first + 16666666 + 200000);
  EXPECT_EQ(pacer.Deadline(first + 20000000), first + 33333333);
}

TEST(FramePacer, NoDriftOverAHundredThousandFrames) {
  int64_t now = 0;
  FramePacer pacer = Unpaced(59940, 0, &now);  // 59.94 Hz: a period of 16683350.016 ns
  const int64_t start = pacer.Deadline(now);
  int64_t deadline = start;
  for (int frame = 1; frame <= 100000; ++frame) {
    pacer.Presented(deadline + 1000);
    deadline = pacer.Deadline(deadline + 2000);
  }
  // 100000 periods of 1000/59.94 ms, exactly: 1668335001668.335 ns.
  EXPECT_EQ(deadline - start, 1668335001668);
}

TEST(FramePacer, ALateFrameStartsANewGridInsteadOfABurst) {
  int64_t now = 0;
  FramePacer pacer = Unpaced(60000, 0, &now);
  int64_t deadline = pacer.Deadline(now);
  pacer.Presented(deadline);
  // Late by less than a period: presented at once, the grid kept.
  const int64_t slightlyLate = deadline + 16666666 + 5000000;
  EXPECT_EQ(pacer.Deadline(slightlyLate), slightlyLate);
  pacer.Presented(slightlyLate);
  EXPECT_EQ(pacer.Deadline(slightlyLate + 1000), deadline + 33333333);
  pacer.Presented(deadline + 33333333);
  // Late by several periods (a stall): a new grid from then, no catching up.
  const int64_t stalled = deadline + 200000000;
  EXPECT_EQ(pacer.Deadline(stalled), stalled);
  pacer.Presented(stalled + 100);
  EXPECT_EQ(pacer.Deadline(stalled + 1000), stalled + 16666666);
}

TEST(FramePacer, ANewRateTakesEffectOnANewGrid) {
  int64_t now = 0;
  FramePacer pacer = Unpaced(60000, 0, &now);
  int64_t deadline = pacer.Deadline(now);
  pacer.Presented(deadline);
  pacer.Configure(75000, true, 0);  // moved to a 75 Hz monitor
  EXPECT_EQ(pacer.Period(), 13333333);
  const int64_t later = deadline + 1000000;
  EXPECT_EQ(pacer.Deadline(later), later);
  pacer.Presented(later);
  EXPECT_EQ(pacer.Deadline(later + 1000), later + 13333333);
  // The same rate again changes nothing.
  pacer.Configure(75000, true, 0);
  EXPECT_EQ(pacer.Deadline(later + 2000), later + 13333333);
}

TEST(FramePacer, ACapPacesWhateverTheDriverAndWithoutVsync) {
  FramePacer capped(kNs);
  capped.Configure(60000, true, 30);
  EXPECT_TRUE(capped.LayerPaces()) << "a cap needs no probe";
  EXPECT_EQ(capped.Period(), 33333333);
  FramePacer free(kNs);
  free.Configure(60000, false, 0);
  EXPECT_FALSE(free.LayerPaces());
  EXPECT_EQ(free.Deadline(123), 123);
  FramePacer cappedFree(kNs);
  cappedFree.Configure(60000, false, 200);
  EXPECT_TRUE(cappedFree.LayerPaces());
  EXPECT_EQ(cappedFree.Period(), 5000000);
  // A cap above the display's rate leaves the display's period.
  FramePacer high(kNs);
  high.Configure(60000, true, 144);
  EXPECT_FALSE(high.LayerPaces()) << "still probing the driver";
  EXPECT_EQ(high.Period(), 16666666);
}

TEST(FramePacer, ADriverThatWaitsIsLeftToPaceUntilItStopsWaiting) {
  FramePacer pacer(kNs);
  pacer.Configure(0, true, 0);  // no rate known: 60 Hz
  int64_t now = 0;
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(pacer.Deadline(now), now);
    now += 16666666;  // the swap waited for the display
    pacer.Presented(now);
  }
  EXPECT_FALSE(pacer.LayerPaces());
  // Then it stops waiting (as SDL lets a minimised window's swaps run free).
  for (int i = 0; i < 12; ++i) {
    now += 1000000;
    pacer.Presented(now);
  }
  EXPECT_TRUE(pacer.LayerPaces());
}

}  // namespace

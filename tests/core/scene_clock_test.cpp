// The scene clock: what the program reads while and after it is held.
#include "platform/core/scene_clock.h"

#include <gtest/gtest.h>

namespace {

using core::SceneClock;

TEST(SceneClock, AHoldTakesItsTimeOutOfEveryLaterReading) {
  SceneClock clock;
  EXPECT_EQ(clock.Read(1000), 1000);
  clock.Set(SceneClock::kPaused, true, 1500);
  EXPECT_EQ(clock.Read(1600), 1500) << "still while held";
  EXPECT_EQ(clock.Read(9000), 1500);
  clock.Set(SceneClock::kPaused, false, 2500);
  EXPECT_EQ(clock.Read(2500), 1500) << "resumes where it stopped";
  EXPECT_EQ(clock.Read(3000), 2000);
  // A second hold adds to the first.
  clock.Set(SceneClock::kHidden, true, 3000);
  clock.Set(SceneClock::kHidden, false, 3100);
  EXPECT_EQ(clock.Read(3200), 2100);
}

TEST(SceneClock, OverlappingHoldsEndWithTheLastAndAReleaseWithoutAHoldIsNothing) {
  SceneClock clock;
  clock.Set(SceneClock::kHidden, false, 100);  // never held
  EXPECT_EQ(clock.Read(200), 200);
  clock.Set(SceneClock::kPaused, true, 200);
  clock.Set(SceneClock::kHidden, true, 300);
  clock.Set(SceneClock::kPaused, false, 400);
  EXPECT_TRUE(clock.AnyHeld());
  EXPECT_EQ(clock.Read(500), 200) << "hidden still holds it";
  clock.Set(SceneClock::kHidden, false, 600);
  EXPECT_FALSE(clock.AnyHeld());
  EXPECT_EQ(clock.Read(700), 300);
  clock.Set(SceneClock::kHidden, true, 700);
  clock.Set(SceneClock::kHidden, true, 800);  // held twice for one reason: one hold
  clock.Set(SceneClock::kHidden, false, 900);
  EXPECT_EQ(clock.Read(1000), 400);
}

TEST(SceneClock, ReadingsNeverGoBackward) {
  SceneClock clock;
  int64_t last = clock.Read(0);
  for (int64_t now = 1; now < 2000; now += 7) {
    if (now % 300 < 7) clock.Set(SceneClock::kPaused, !clock.Held(SceneClock::kPaused), now);
    if (now % 500 < 7) clock.Set(SceneClock::kHidden, !clock.Held(SceneClock::kHidden), now);
    const int64_t read = clock.Read(now);
    ASSERT_GE(read, last) << now;
    last = read;
  }
}

}  // namespace

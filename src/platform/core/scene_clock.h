// The performance counter the program reads: the backend's clock, less the
// time the program was held, so that it sees no time pass while nobody can
// watch it (paused, or its window hidden) and its scene resumes where it was.
//
// Sound for a program that only measures elapsed time between readings, as
// the demo's frame timer does: a hold looks to it like one long gap between
// two frames that never happened, which is what a frame it never drew is.
// The counter stays monotonic, and its frequency never changes.
#pragma once

#include <cstdint>

namespace core {

class SceneClock {
 public:
  // Why the clock is held; several may hold it at once.
  enum Hold : unsigned {
    kPaused = 1u << 0,  // the user paused it
    kHidden = 1u << 1,  // the window cannot be seen
  };

  // The counter as the program sees it, from the backend's reading `now`.
  int64_t Read(int64_t now) const;
  // Holds or lets go for one reason; the time between the first hold and the
  // last release at `now` is taken out of every later reading.
  void Set(Hold reason, bool held, int64_t now);
  bool Held(Hold reason) const { return (holds_ & reason) != 0; }
  bool AnyHeld() const { return holds_ != 0; }

 private:
  unsigned holds_ = 0;
  int64_t heldSince_ = 0;  // the backend's reading when the current hold began
  int64_t heldTotal_ = 0;  // ticks taken out by holds that are over
};

// The one clock of the process.
SceneClock& TheSceneClock();

// Pause and resume, as the Pause key (or a gamepad's Start) does.
void TogglePause();
// Holds the clock for a reason, at the backend's current reading.
void HoldClock(SceneClock::Hold reason, bool held);

}  // namespace core

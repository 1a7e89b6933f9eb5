#include "capture/frame_clock.h"

namespace capture {

FrameClock::FrameClock(int fpsArg) : fps(fpsArg > 0 ? fpsArg : 1) {}

int64_t FrameClock::CounterAt(int64_t frame) const {
  // Whole seconds and the rest apart, so the product cannot overflow.
  const int64_t seconds = frame / fps;
  const int64_t rest = frame % fps;
  return seconds * kFrequency + (rest * kFrequency + fps / 2) / fps;
}

int64_t FrameClock::Read() {
  ++reads;
  return CounterAt(presented);
}

FrameClock::Swap FrameClock::Present(int64_t* frame) {
  const int64_t readsThisPass = reads - readsAtLastSwap;
  readsAtLastSwap = reads;
  // Before Start's read, and in the pass of Start's read itself (Load), the
  // swap presents nothing the scene drew.
  const bool timerRunning = reads - readsThisPass >= 1;
  if (!timerRunning) return Swap::kNotAFrame;
  if (readsThisPass != 1) outOfStep = true;
  *frame = presented++;
  return Swap::kFrame;
}

}  // namespace capture

// The fixed-step clock the demo runs on while it is recorded.
//
// The demo's only clock is its FrameTimer: Start() reads the performance
// counter once at the end of Load, and every Render reads it once more and adds
// the difference to the scene clock. So the first counter read is Start's and
// every later one is a Render's, and a buffer swap that follows a Render's read
// presents a Render frame. The Init and Load passes present too, before any
// Render read, and are not frames of the recording.
//
// The counter stands still while a frame is drawn and moves on by one frame
// step when that frame is presented, so Render frame k reads the value of
// frame k and draws at scene time k / fps.
//
// The frequency is 2^48 counts per second. Every step is then a multiple of
// 2^-48 seconds, and the demo's running sum of steps (a double below 32 s) is
// exact: frame k is drawn at k / fps rounded to 2^-48 s, and at exactly
// k / fps whenever that is a whole number of seconds. (With a step of exactly
// 1/60 s summed in doubles, frame 1440 would land just below 24 s and the
// cycle would end a frame late.)
#pragma once

#include <cstdint>

namespace capture {

class FrameClock {
 public:
  static const int64_t kFrequency = int64_t{1} << 48;

  explicit FrameClock(int fps);

  int64_t Frequency() const { return kFrequency; }
  // The counter as the demo reads it now.
  int64_t Read();

  enum class Swap { kNotAFrame, kFrame };
  // A presented frame: which kind, and for a Render frame its number.
  Swap Present(int64_t* frame);

  // Render frames presented so far.
  int64_t FramesPresented() const { return presented; }
  // A Render pass that read the counter other than once before its swap: the
  // demo no longer runs the way this clock assumes.
  bool OutOfStep() const { return outOfStep; }

  // The counter value of frame k: k / fps seconds, rounded to a count.
  int64_t CounterAt(int64_t frame) const;

 private:
  int fps;
  int64_t reads = 0;            // counter reads since the start
  int64_t readsAtLastSwap = 0;  // the same, at the previous swap
  int64_t presented = 0;
  bool outOfStep = false;
};

}  // namespace capture

// When the next frame may be presented, so that a program presents no more
// often than the screen shows: deadlines on a steady grid of the display's
// period (or a cap's, if longer), computed exactly in the counter's ticks so
// that they never drift, however long the program runs. Plain arithmetic on
// readings the caller passes in; the caller sleeps.
//
// Where the driver already waits for the vertical blank, the layer need not:
// the first frames are presented unpaced and their intervals tell whether the
// driver paces them (most software renderers, VMs and remote desktops do not),
// and they are watched for as long as it is trusted.
#pragma once

#include <cstdint>

namespace core {

class FramePacer {
 public:
  // `ticksPerSecond` of the counter the readings come in.
  explicit FramePacer(int64_t ticksPerSecond);

  // The display's rate in millihertz (0 when unknown: 60 Hz is assumed),
  // whether vsync was asked for, and a cap in frames per second (0: none).
  // A change takes effect from the next frame on a new grid.
  void Configure(int64_t refreshMilliHz, bool vsync, int maxFps);

  // The reading to sleep until before presenting a frame at `now`: `now`
  // itself when nothing is to wait for. A frame later than its deadline by
  // more than a period starts a new grid at `now` rather than being followed
  // by a burst of frames to catch up.
  int64_t Deadline(int64_t now);
  // A frame was presented; `now` is the reading after the swap returned.
  void Presented(int64_t now);

  // Whether the layer paces, having found that the driver does not (or
  // because a cap is asked for).
  bool LayerPaces() const;
  // The period of the grid in ticks, rounded down; 0 when nothing paces.
  int64_t Period() const;

 private:
  void Restart(int64_t now);
  void Advance();

  int64_t ticksPerSecond_;
  // The period as a fraction: whole ticks, and a remainder in units of 1 /
  // periodDivisor_ tick, carried from deadline to deadline.
  int64_t periodWhole_ = 0;
  int64_t periodRemainder_ = 0;
  int64_t periodDivisor_ = 1;
  int64_t carried_ = 0;
  int64_t next_ = 0;
  bool onGrid_ = false;
  bool vsync_ = true;
  bool capped_ = false;
  // The driver's own pacing, as the first unpaced frames showed it.
  enum class Driver { kProbing, kPaces, kDoesNot };
  Driver driver_ = Driver::kProbing;
  int64_t lastPresent_ = -1;
  int probes_ = 0;
  int fastProbes_ = 0;
  int fastInARow_ = 0;
};

}  // namespace core

#pragma once

#include <cstdint>

// Seconds between frames, on the high-resolution performance counter.
class FrameTimer {
 public:
  FrameTimer();
  virtual ~FrameTimer();

  void Start();
  // Seconds since the previous Start or Elapsed; each call restarts the interval.
  double Elapsed();

  int64_t frequency = 0;  // counts per second; 0 without a high-resolution counter
  int64_t last = 0;
};

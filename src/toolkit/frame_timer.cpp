#include "toolkit/frame_timer.h"

#include "platform/platform.h"

FrameTimer::FrameTimer() {
  LARGE_INTEGER value;
  frequency = QueryPerformanceFrequency(&value) ? value.QuadPart : 0;
}

FrameTimer::~FrameTimer() = default;

void FrameTimer::Start() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  last = now.QuadPart;
}

double FrameTimer::Elapsed() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const int64_t delta = now.QuadPart - last;
  last = now.QuadPart;
  // No high-resolution counter: time stands still rather than dividing by 0.
  if (frequency == 0) return 0.0;
  return static_cast<double>(delta) / static_cast<double>(frequency);
}

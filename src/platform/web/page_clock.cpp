#include "platform/web/page_clock.h"

#include <algorithm>
#include <cmath>

namespace web {
namespace {

// performance.now() is in milliseconds with microsecond resolution at best.
const int64_t kCountsPerSecond = 1000000;

}  // namespace

void PageClock::UseRealTime() {
  *this = PageClock{};
}

void PageClock::UseFixedStep(int frames, int fps) {
  UseRealTime();
  if (frames <= 0) return;
  fixed_.emplace(fps);
  holdAfter_ = frames;
}

void PageClock::UseStill(int seconds) {
  UseRealTime();
  if (seconds <= 0) return;
  fixed_.emplace(1);
  still_ = seconds;
}

void PageClock::Play(double nowMs) {
  if (!Still()) return;
  realFrom_ = Peek(nowMs);
  realSince_ = nowMs;
  presented_ = fixed_->FramesPresented();
  fixed_.reset();
  held_ = false;
}

int64_t PageClock::Frequency() const {
  return fixed_ && !Still() ? fixed_->Frequency() : kCountsPerSecond;
}

int64_t PageClock::Read(double nowMs) {
  return fixed_ ? FromFixedStep(fixed_->Read()) : Peek(nowMs);
}

int64_t PageClock::Peek(double nowMs) const {
  if (fixed_) return FromFixedStep(fixed_->CounterAt(fixed_->FramesPresented()));
  return realFrom_ + std::llround((nowMs - realSince_) * (kCountsPerSecond / 1000));
}

int64_t PageClock::FromFixedStep(int64_t reading) const {
  if (!Still()) return reading;
  // Whole seconds at one frame a second; past the still's, the still's.
  return std::min(reading / fixed_->Frequency(), still_) * kCountsPerSecond;
}

PageClock::Frame PageClock::Present() {
  Frame frame;
  if (!fixed_) {
    frame.frames = ++presented_;
    return frame;
  }
  int64_t number = 0;
  // The Init and Load passes present too, but are not frames of the run.
  const bool counted = fixed_->Present(&number) == capture::FrameClock::Swap::kFrame;
  frame.counted = counted;
  frame.frames = fixed_->FramesPresented();
  if (Still()) {
    // Only the still itself shows: the frames on the way to it are motion.
    frame.shown = counted && number >= still_;
    if (counted) held_ = number >= still_;
  } else {
    frame.fixedStep = true;
    if (counted) held_ = frame.frames >= holdAfter_;
  }
  frame.held = held_;
  return frame;
}

}  // namespace web

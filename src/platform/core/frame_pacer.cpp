#include "platform/core/frame_pacer.h"

#include <algorithm>

namespace core {
namespace {

// Unpaced frames looked at before deciding, and the share of a period below
// which an interval shows that nothing waited for the display. A driver that
// paces never lets two frames come that close; one that does not may still
// draw slowly enough for a while (a large software-rendered screen), so the
// intervals are watched for as long as the driver is trusted.
const int kProbeFrames = 20;
const int kFastFramesToDistrust = 10;
const int64_t kFastPercent = 50;

const int64_t kDefaultMilliHz = 60000;

}  // namespace

FramePacer::FramePacer(int64_t ticksPerSecond) : ticksPerSecond_(ticksPerSecond) {
  Configure(0, true, 0);
}

void FramePacer::Configure(int64_t refreshMilliHz, bool vsync, int maxFps) {
  const int64_t displayMilliHz = refreshMilliHz > 0 ? refreshMilliHz : kDefaultMilliHz;
  int64_t milliHz = vsync ? displayMilliHz : 0;
  if (maxFps > 0 && (milliHz == 0 || int64_t{maxFps} * 1000 < milliHz))
    milliHz = int64_t{maxFps} * 1000;
  capped_ = maxFps > 0 && int64_t{maxFps} * 1000 <= (vsync ? displayMilliHz : INT64_MAX);
  if (vsync != vsync_) driver_ = Driver::kProbing;
  vsync_ = vsync;
  int64_t whole = 0;
  int64_t remainder = 0;
  int64_t divisor = 1;
  if (milliHz > 0) {
    // period = ticksPerSecond * 1000 / milliHz ticks, kept as an exact fraction.
    whole = ticksPerSecond_ * 1000 / milliHz;
    remainder = ticksPerSecond_ * 1000 % milliHz;
    divisor = milliHz;
  }
  if (whole != periodWhole_ || remainder != periodRemainder_ || divisor != periodDivisor_) {
    periodWhole_ = whole;
    periodRemainder_ = remainder;
    periodDivisor_ = divisor;
    onGrid_ = false;
    if (driver_ == Driver::kPaces) driver_ = Driver::kProbing;  // a new rate: look again
  }
}

bool FramePacer::LayerPaces() const {
  if (periodWhole_ == 0) return false;
  return capped_ || driver_ == Driver::kDoesNot;
}

int64_t FramePacer::Period() const {
  return periodWhole_;
}

void FramePacer::Restart(int64_t now) {
  next_ = now;
  carried_ = 0;
  onGrid_ = true;
}

void FramePacer::Advance() {
  next_ += periodWhole_;
  carried_ += periodRemainder_;
  if (carried_ >= periodDivisor_) {
    next_ += 1;
    carried_ -= periodDivisor_;
  }
}

int64_t FramePacer::Deadline(int64_t now) {
  if (!LayerPaces()) return now;
  if (!onGrid_ || now > next_ + periodWhole_) Restart(now);
  // Late by less than a period: at once, and the grid holds.
  return std::max(now, next_);
}

void FramePacer::Presented(int64_t now) {
  if (LayerPaces()) {
    Advance();
    return;
  }
  if (periodWhole_ == 0) return;
  // Unpaced so far: did the swaps wait for the display?
  if (lastPresent_ >= 0) {
    const bool fast = (now - lastPresent_) * 100 < periodWhole_ * kFastPercent;
    fastInARow_ = fast ? fastInARow_ + 1 : 0;
    if (driver_ == Driver::kProbing) {
      ++probes_;
      fastProbes_ += fast;
      if (probes_ >= kProbeFrames) {
        driver_ = fastProbes_ * 2 > probes_ ? Driver::kDoesNot : Driver::kPaces;
        probes_ = fastProbes_ = 0;
      }
    } else if (fastInARow_ >= kFastFramesToDistrust) {
      driver_ = Driver::kDoesNot;
    }
    if (driver_ == Driver::kDoesNot) onGrid_ = false;
  }
  lastPresent_ = now;
}

}  // namespace core

#include "platform/core/scene_clock.h"

#include "platform/core/backend.h"

namespace core {

int64_t SceneClock::Read(int64_t now) const {
  // While held, the reading stays where the hold began.
  const int64_t visible = holds_ ? heldSince_ : now;
  return visible - heldTotal_;
}

void SceneClock::Set(Hold reason, bool held, int64_t now) {
  const unsigned before = holds_;
  holds_ = held ? holds_ | reason : holds_ & ~static_cast<unsigned>(reason);
  if (!before && holds_) heldSince_ = now;
  if (before && !holds_ && now > heldSince_) heldTotal_ += now - heldSince_;
}

SceneClock& TheSceneClock() {
  static SceneClock clock;
  return clock;
}

void HoldClock(SceneClock::Hold reason, bool held) {
  TheSceneClock().Set(reason, held, TheBackend().CounterNow());
}

void TogglePause() {
  HoldClock(SceneClock::kPaused, !TheSceneClock().Held(SceneClock::kPaused));
}

}  // namespace core

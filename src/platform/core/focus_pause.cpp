#include "platform/core/focus_pause.h"

#include "platform/core/layer_windows.h"
#include "platform/core/options.h"
#include "platform/core/scene_clock.h"

namespace core {
namespace {

struct FocusState {
  HWND focused = nullptr;     // the window the window system last gave the focus
  bool hadFocus = false;      // as of the last FollowFocus
  bool pausedByLoss = false;  // the pause is ours to lift (kResume)
};

FocusState& State() {
  static FocusState state;
  return state;
}

void Lost() {
  FocusState& state = State();
  const bool paused = TheSceneClock().Held(SceneClock::kPaused);
  switch (LayerOptions().pauseOnFocusLoss) {
    case FocusLoss::kNever:
      return;
    case FocusLoss::kResume:
      // A pause the user made before stays the user's.
      state.pausedByLoss = !paused;
      if (!paused) HoldClock(SceneClock::kPaused, true);
      return;
    case FocusLoss::kStay:
      if (!paused) HoldClock(SceneClock::kPaused, true);
      return;
  }
}

void Gained() {
  FocusState& state = State();
  if (!state.pausedByLoss) return;
  state.pausedByLoss = false;
  if (TheSceneClock().Held(SceneClock::kPaused)) HoldClock(SceneClock::kPaused, false);
}

}  // namespace

bool TakeFocusChange(const Event& event) {
  if (event.kind != Event::kFocusLost && event.kind != Event::kFocusGained) return false;
  FocusState& state = State();
  HWND hwnd = WindowOf(event.surface);
  if (event.kind == Event::kFocusGained && hwnd) state.focused = hwnd;
  if (event.kind == Event::kFocusLost && hwnd == state.focused) state.focused = nullptr;
  return true;
}

void FollowFocus() {
  FocusState& state = State();
  const bool hasFocus = ProgramHasFocus();
  if (hasFocus == state.hadFocus) return;
  state.hadFocus = hasFocus;
  if (hasFocus) {
    Gained();
  } else {
    Lost();
  }
}

bool ProgramHasFocus() {
  return Alive(State().focused);
}

void ResetFocus() {
  State() = FocusState{};
}

}  // namespace core

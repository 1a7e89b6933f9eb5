#include "platform/core/cursor_presentation.h"

#include "platform/core/layer_windows.h"
#include "platform/core/options.h"

namespace core {
namespace {

const int64_t kIdleSeconds = 2;

struct CursorState {
  int64_t lastMotion = 0;  // the backend's clock
  bool shown = true;       // as last applied
};

CursorState& State() {
  static CursorState state;
  return state;
}

bool ModeInWindow() {
  bool found = false;
  Windows().ForEach([&](const Window& window) {
    found = found || (window.visible && window.view == Window::View::kWindowed);
  });
  return found;
}

}  // namespace

bool CursorShown(int counter, bool modeInWindow, int64_t idleTicks, int64_t frequency) {
  if (counter >= 0) return true;
  if (!modeInWindow) return false;
  return frequency <= 0 || idleTicks < kIdleSeconds * frequency;
}

void ApplyCursor() {
  // The cursor over a host window is its owner's to show or hide.
  if (LayerOptions().host.given) return;
  const bool inWindow = ModeInWindow();
  int64_t idle = 0;
  if (User().cursorCounter < 0 && inWindow) idle = TheBackend().CounterNow() - State().lastMotion;
  State().shown =
      CursorShown(User().cursorCounter, inWindow, idle, TheBackend().CounterFrequency());
  TheBackend().ShowCursor(State().shown);
}

// The clock is read only while a mode shows in a window: a test backend's
// scripted counter is not consumed by programs that never do that.
void NoteCursorMotion() {
  if (!ModeInWindow()) return;
  State().lastMotion = TheBackend().CounterNow();
  if (!State().shown) ApplyCursor();
}

void RestartCursorTimer() {
  if (ModeInWindow()) State().lastMotion = TheBackend().CounterNow();
  ApplyCursor();
}

void FollowCursorTimer() {
  CursorState& state = State();
  if (LayerOptions().host.given || !state.shown || User().cursorCounter >= 0 || !ModeInWindow())
    return;
  const int64_t idle = TheBackend().CounterNow() - state.lastMotion;
  if (CursorShown(User().cursorCounter, true, idle, TheBackend().CounterFrequency())) return;
  state.shown = false;
  TheBackend().ShowCursor(false);
}

void ResetCursorPresentation() {
  State() = CursorState{};
}

}  // namespace core

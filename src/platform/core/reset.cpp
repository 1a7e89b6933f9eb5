#include "platform/core/cursor_presentation.h"
#include "platform/core/focus_pause.h"
#include "platform/core/fonts.h"
#include "platform/core/layer_windows.h"
#include "platform/core/scene_clock.h"
#include "platform/core/window_place.h"

namespace core {

void ResetForTests() {
  ResetContexts();
  Windows().Reset();
  ResetFonts();
  User() = UserState{};
  TheSceneClock() = SceneClock{};
  ResetPresenting();
  ResetFocus();
  ResetCursorPresentation();
  ResetWindowPlace();
}

}  // namespace core

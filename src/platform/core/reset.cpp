#include "platform/core/fonts.h"
#include "platform/core/layer_windows.h"
#include "platform/core/scene_clock.h"

namespace core {

void ResetForTests() {
  ResetContexts();
  Windows().Reset();
  ResetFonts();
  User() = UserState{};
  TheSceneClock() = SceneClock{};
  ResetPresenting();
}

}  // namespace core

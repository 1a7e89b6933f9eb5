#include "platform/core/gamepad_input.h"

#include "platform/core/scene_clock.h"
#include "platform/platform.h"

namespace core {

bool TakeGamepadButton(const Event& event, Event* key) {
  const bool down = event.kind == Event::kGamepadButtonDown;
  if (!down && event.kind != Event::kGamepadButtonUp) return false;
  *key = Event{};
  switch (event.button) {
    case kPadBack:
    case kPadEast:
      // For the window with the focus, as a key the window system names no window for.
      key->kind = down ? Event::kKeyDown : Event::kKeyUp;
      key->virtualKey = VK_ESCAPE;
      break;
    case kPadStart:
      if (down) TogglePause();
      break;
    default:
      break;
  }
  return true;
}

}  // namespace core

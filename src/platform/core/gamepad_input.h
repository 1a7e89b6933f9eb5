// A gamepad, for a user watching from the sofa: Back (and the East face
// button, B on most pads) ends the program as Escape does, so the program
// sees Escape's key messages; Start pauses and resumes, as the Pause key
// does. Every other button does nothing. The backends only name buttons.
#pragma once

#include "platform/core/backend.h"

namespace core {

// True when the event was a gamepad's. A button that stands for a key fills
// `key` with that key's event (its virtualKey stays 0 otherwise).
bool TakeGamepadButton(const Event& event, Event* key);

}  // namespace core

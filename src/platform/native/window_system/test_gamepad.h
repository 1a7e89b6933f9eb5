// A virtual game controller (SDL's virtual joystick), for tests: nothing to
// plug in. The layer's tests drive it from their own process. The program
// drives it only when PLUMO_TEST_GAMEPAD names a FIFO, a hook for the
// end-to-end test of the gamepad that nothing else sets: each line written
// to the FIFO is a button pressed and let go ("back", "start", "east",
// "south"), or "unplug" or "plug". A press waits until the controller is open
// and a window has the keyboard focus, as SDL drops a pad's events before.
#pragma once

#include "platform/core/backend.h"

namespace native::window_system {

// After the display is open. False after saying why.
bool PlugTestGamepad();
void UnplugTestGamepad();
// The layer has the controller open and a window has the keyboard focus.
bool TestGamepadReady();
// Queued at once, for the next read of events.
void PressTestGamepad(core::GamepadButton button, bool down);
// How many controllers the layer holds open.
int OpenGamepadCount();

}  // namespace native::window_system

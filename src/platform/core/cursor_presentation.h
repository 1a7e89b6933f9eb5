// How the cursor shows over the program's windows. ShowCursor's counter says
// what the program wants (hidden while it is below 0), and over a display
// mode that covers the monitor that is what the user gets. A display mode
// shown in a window of its own (--window, Alt+Enter) has a desktop around it
// that the user must reach, so there the cursor shows, and hides again after
// 2 s without movement over the window. The time is the backend's own clock,
// not the scene clock, which stops while the program is paused.
#pragma once

#include <cstdint>

namespace core {

// Whether the cursor shows: the pure decision. `idleTicks` is the time since
// the pointer last moved over the window, `frequency` the clock's ticks a second.
bool CursorShown(int counter, bool modeInWindow, int64_t idleTicks, int64_t frequency);

// The cursor as the decision has it now; after the counter or a view changed.
void ApplyCursor();
// The pointer moved over one of the program's windows.
void NoteCursorMotion();
// A display mode was just shown in a window: the cursor shows from now.
void RestartCursorTimer();
// At each pump of events: hides the cursor once its time is up.
void FollowCursorTimer();
void ResetCursorPresentation();

}  // namespace core

// Losing and regaining the window system's focus, and what that does to the
// scene clock (--pause-on-focus-loss): nothing, by default, since a demo is
// watched rather than played; a pause while the focus is away; or a pause
// that lasts until the user resumes (Pause, a gamepad's Start).
#pragma once

#include "platform/core/backend.h"

namespace core {

// Notes a focus event; true when the event was one.
bool TakeFocusChange(const Event& event);
// After a batch of events: the policy, once for each change of whether any
// of the program's windows has the focus. Moving it between two of them in
// one batch is no change.
void FollowFocus();
// Whether one of the program's windows has the window system's focus.
bool ProgramHasFocus();
void ResetFocus();

}  // namespace core

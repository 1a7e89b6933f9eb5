// Where a display mode shown in a window of its own sits on the desktop: the
// first time in a run at the place the options remember (the native program
// keeps the last one in its settings file), and as the user left it when the
// window stops showing the mode, for the program to remember at its end.
#pragma once

#include "platform/core/options.h"
#include "platform/core/window_manager.h"

namespace core {

// Shows the window's mode in a window: at the remembered place the first
// time there is one, else at this size, centred.
void ShowModeInWindow(Window& window, int width, int height);
// The window is about to stop showing its mode in a window (it covers the
// monitor again, leaves the mode or goes): its place is kept.
void KeepWindowPlace(const Window& window);
// The place last kept in this run; false when no mode was shown in a window.
bool LastWindowPlace(WindowPlace* place);
void ResetWindowPlace();

}  // namespace core

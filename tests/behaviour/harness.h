// What differs when the behaviour suite runs on each backend: how a test
// starts from nothing, and how it makes the window system do what a user or
// a window manager would. One harness_<backend>.cpp is linked per program.
#pragma once

#include <functional>

#include "platform/platform.h"

namespace harness {

// The backend's name, for messages and skips: "test", "native" or "web".
const char* Name();

// Before and after each case: the core and the backend as in a new process.
void SetUp();
void TearDown();

// Runs the window system until `done` holds, true, or time is up, false. The
// test and web backends answer at once; the native one needs the X server.
bool Settle(const std::function<bool()>& done);

// Lets this many performance-counter ticks pass on the backend's clock
// (at least: the native one sleeps).
void Advance(long long ticks);

// Gives the window system time to send whatever it would (the native one a
// fraction of a second), handing it out meanwhile through `pump`.
void Linger(const std::function<void()>& pump);

// A key pressed or let go on the keyboard, for the window with the focus.
void Key(int virtualKey, bool down, bool alt = false);

// The window manager's close button on the window; false where the backend
// has none (the web page's canvas).
bool CloseFromOutside(HWND hwnd, const char* title);

// Nobody can see the program any more (the page's tab in the background), or
// someone can again; false where the harness cannot make that happen.
bool SetProgramVisible(bool visible);
// The pictures the backend has put on the screen so far.
int Presents();
// The window system's focus taken from `hwnd` by a window that is not the
// program's, then given back to it (titled `title`), as a user clicking
// about would. False where the backend has no such thing (the web page's).
bool FocusElsewhere(HWND hwnd);
bool FocusBack(HWND hwnd, const char* title);

// A gamepad's button (a core::GamepadButton) pressed or let go, for the
// window with the focus; false where the backend has no gamepads (the web
// page's). The native backend plugs in a virtual one at the first press.
bool GamepadButton(int button, bool down);
// The gamepad unplugged and plugged in again; false when the backend kept
// the one unplugged.
bool ReplugGamepad();

}  // namespace harness

// What the SDL files of the window system share: the records behind the
// handles of sdl_backend.h, and the helpers each side needs of the other.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "platform/core/present_geometry.h"
#include "platform/native/window_system/sdl_backend.h"

struct core::Surface {
  SDL_Window* window = nullptr;
  bool borderless = false;  // as made, for leaving fullscreen
  bool resizable = false;
  bool hasFormat = false;
  core::PixelFormat format;
  int visualChannelBits = 0;  // asked of the window's visual, and so of its contexts
  int pictureWidth = 0;       // the client size, which the framebuffer has
  int pictureHeight = 0;
  core::GlContext* presenting = nullptr;  // the context whose framebuffer holds the picture
  bool swapIntervalSet = false;
};

struct core::GlContext {
  SDL_GLContext context = nullptr;
  native::window_system::Framebuffer framebuffer;
  core::Surface* surface = nullptr;  // whose picture the framebuffer holds
  bool direct = false;               // draws into the window itself
};

namespace native::window_system {

// One stderr line: the Win32 call in progress, the reason and SDL's own.
void ReportSdl(const char* reason);

// sdl_gl.cpp: the GL attributes that pick a surface's visual, and what a
// surface's GL state needs to hear of.
void ApplyPixels(const Surface& surface);
void ForgetPresenting(Surface* surface);
void FollowPictureSize(Surface* surface);
// The picture's rectangle in the surface's drawable, and the drawable's size.
core::Rect PresentedRect(Surface* surface, int* drawableWidth, int* drawableHeight);

// sdl_keys.cpp: the Win32 virtual-key code for an SDL key, 0 for keys the
// demo's Windows counterpart has no code for.
int VirtualKey(SDL_Keycode key);

// sdl_gamepad.cpp: game controllers opened as they come and closed as they
// go, their buttons as core events; and SDL's name for a core button.
void OpenGamepadSupport();
bool TranslateGamepad(const SDL_Event& event, Event* out);
SDL_GameControllerButton SdlButton(core::GamepadButton button);
bool GamepadOpen(SDL_JoystickID id);
void CloseGamepads();

// test_gamepad.cpp: the program's test-only hook (PLUMO_TEST_GAMEPAD).
void StartTestGamepadHook();
void RunTestGamepadHook();

// x11_only.cpp: what the layer does on SDL's X11 driver itself. The
// request returns false where it is SDL's to make (not X11, not mapped).
void WatchForLostX11Display();
void BlackenX11Background(SDL_Window* window);
bool RequestX11Fullscreen(SDL_Window* window, bool fullscreen);
// Waits briefly for a window manager's frame around a window just made
// bordered, so that SDL places it by its client area.
void AwaitX11Frame(SDL_Window* window);

// wayland_only.cpp: on SDL's Wayland driver, a lost compositor ends the
// program as a lost X server does. Watching starts with the first window.
void WatchWaylandConnection(SDL_Window* window);
void CheckWaylandConnection();

// x11_screensaver.cpp: screensaver mode's host window. FindX11Host answers
// the id to adopt (the root window's for 0) once the window is known to
// exist, else 0 after saying why; WatchX11Host makes its resizes and its end
// reach the layer once SDL has adopted it; TakeX11HostGone is true once after
// it has gone, as heard from an event SDL passed on raw (NoteX11HostEvent) or
// from an X error about it.
unsigned long FindX11Host(uint64_t id);
void WatchX11Host(SDL_Window* window);
void NoteX11HostEvent(const SDL_SysWMmsg& message);
bool TakeX11HostGone();

}  // namespace native::window_system

// The window system under the native layer, on SDL2: the display, native
// windows and their events. (GL contexts and presentation: sdl_gl.cpp.)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/options.h"
#include "platform/core/report.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_internal.h"

namespace native::window_system {
namespace {

const char kSurfaceKey[] = "plumo.surface";

struct State {
  bool open = false;
  bool exitHookInstalled = false;
  bool glLibraryHeld = false;  // our own reference on SDL's GL library
  unsigned mouseKeys = 0;      // MK_* bits of the buttons held
};

State& Backend() {
  static State state;
  return state;
}

// A switched display mode is not put back by X when the process ends, so the
// desktop mode is restored on every normal exit path (return from main, exit).
//
// A context may still be alive then (a program need not delete it). Closing
// the display tears it down, and Mesa's llvmpipe deadlocks if its rasterizer
// threads are still drawing a frame at that moment: one thread sees the exit
// flag while another waits for it at a barrier. So the frames in flight are
// finished first.
void CloseAtExit() {
  if (!Backend().open) return;
  Backend().open = false;
  if (SDL_GL_GetCurrentContext()) glFinish();
  CloseGamepads();
  if (Backend().glLibraryHeld) SDL_GL_UnloadLibrary();
  Backend().glLibraryHeld = false;
  SDL_Quit();
}

SDL_Window* CreateWindowFor(const SurfaceParams& params, const Surface& surface) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (params.borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (params.resizable) flags |= SDL_WINDOW_RESIZABLE;
  ApplyPixels(surface);
  SDL_Window* window =
      SDL_CreateWindow(params.title, params.x, params.y, params.width > 0 ? params.width : 1,
                       params.height > 0 ? params.height : 1, flags);
  if (window) BlackenX11Background(window);
  return window;
}

// Screensaver mode: the host window, adopted as a foreign GL window. It
// keeps its owner's visual: the picture is drawn in a framebuffer of its own
// format anyway, and the present needs only some GL visual.
SDL_Window* AdoptHost(const core::HostWindow& host) {
  const unsigned long id = FindX11Host(host.id);
  if (!id) return nullptr;
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<const void*>(id));
  if (!window) {
    char reason[96];
    std::snprintf(reason, sizeof reason, "cannot draw with GL into the window 0x%lx", id);
    ReportSdl(reason);
    return nullptr;
  }
  WatchX11Host(window);
  return window;
}

Surface* SurfaceOf(Uint32 windowId) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (!window) return nullptr;  // destroyed since the event was queued
  return static_cast<Surface*>(SDL_GetWindowData(window, kSurfaceKey));
}

bool TranslateKey(const SDL_KeyboardEvent& key, Event* out) {
  out->virtualKey = VirtualKey(key.keysym.sym);
  if (out->virtualKey == 0) return false;
  out->kind = key.type == SDL_KEYDOWN ? Event::kKeyDown : Event::kKeyUp;
  out->repeat = key.repeat != 0;
  out->alt = (key.keysym.mod & KMOD_ALT) != 0;
  // SDL takes X focus changes with a delay, and names no window for a key
  // typed meanwhile; such a key goes to the window that has the focus.
  out->surface = SurfaceOf(key.windowID);
  return true;
}

bool TranslateWindowEvent(const SDL_WindowEvent& window, Event* out) {
  switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
      out->kind = Event::kCloseRequest;
      break;
    case SDL_WINDOWEVENT_MOVED:
      out->kind = Event::kMoved;
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:  // from the program and from outside alike
      out->kind = Event::kResized;
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
      out->kind = Event::kHidden;
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN:
      out->kind = Event::kShown;
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      out->kind = Event::kFocusLost;
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      out->kind = Event::kFocusGained;
      break;
    default:
      return false;
  }
  out->x = window.data1;
  out->y = window.data2;
  out->surface = SurfaceOf(window.windowID);
  return out->surface != nullptr;
}

// Win32's MK_* bits.
const unsigned kButtonKeys[3] = {0x0001, 0x0002, 0x0010};  // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON
const unsigned kShiftKey = 0x0004;
const unsigned kControlKey = 0x0008;

// A pointer event at (x, y) in window coordinates.
bool TranslatePointer(Uint32 windowId, int x, int y, Event* out) {
  out->surface = SurfaceOf(windowId);
  if (!out->surface) return false;
  out->x = x;
  out->y = y;
  const SDL_Keymod mod = SDL_GetModState();
  out->keys = Backend().mouseKeys | ((mod & KMOD_SHIFT) ? kShiftKey : 0) |
              ((mod & KMOD_CTRL) ? kControlKey : 0);
  return true;
}

bool TranslateButton(const SDL_MouseButtonEvent& button, Event* out) {
  int index = -1;
  if (button.button == SDL_BUTTON_LEFT) index = 0;
  if (button.button == SDL_BUTTON_RIGHT) index = 1;
  if (button.button == SDL_BUTTON_MIDDLE) index = 2;
  if (index < 0) return false;
  const bool down = button.type == SDL_MOUSEBUTTONDOWN;
  unsigned& keys = Backend().mouseKeys;
  keys = down ? keys | kButtonKeys[index] : keys & ~kButtonKeys[index];
  out->kind = down ? Event::kButtonDown : Event::kButtonUp;
  out->button = index;
  return TranslatePointer(button.windowID, button.x, button.y, out);
}

bool Translate(const SDL_Event& event, Event* out) {
  switch (event.type) {
    case SDL_SYSWMEVENT:
      if (event.syswm.msg) NoteX11HostEvent(*event.syswm.msg);
      return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return TranslateKey(event.key, out);
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(event.window, out);
    case SDL_MOUSEMOTION:
      out->kind = Event::kPointerMove;
      return TranslatePointer(event.motion.windowID, event.motion.x, event.motion.y, out);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return TranslateButton(event.button, out);
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      return TranslateGamepad(event, out);
    default:
      return false;
  }
}

// A mode of exactly this size, preferring the requested depth and refresh.
bool FindMode(int display, int width, int height, int bitsPerPixel, int refreshRate,
              SDL_DisplayMode* found) {
  int bestScore = -1;
  const int count = SDL_GetNumDisplayModes(display);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
    // Drivers without real modes (offscreen) offer 0x0: any size, second to an exact one.
    const bool anySize = mode.w == 0 && mode.h == 0;
    if (!anySize && (mode.w != width || mode.h != height)) continue;
    if (anySize) {
      mode.w = width;
      mode.h = height;
    }
    int score = anySize ? 0 : 4;
    if (bitsPerPixel && static_cast<int>(SDL_BITSPERPIXEL(mode.format)) == bitsPerPixel) score += 2;
    if (refreshRate && mode.refresh_rate == refreshRate) score += 1;
    if (score > bestScore) {
      bestScore = score;
      *found = mode;
    }
  }
  return bestScore >= 0;
}

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

// Only drivers that put windows before a user: left to itself SDL falls back
// to its offscreen driver, where the program would run unseen and unstoppable.
// A driver the user names in SDL_VIDEODRIVER is taken as given.
//
// Screensaver mode draws into an X window, so it takes X11 alone.
bool ChooseDrivers() {
  if (IsSet("SDL_VIDEODRIVER")) return true;
  const bool x11 = IsSet("DISPLAY");
  const bool wayland = IsSet("WAYLAND_DISPLAY") && !core::LayerOptions().host.given;
  if (!x11 && core::LayerOptions().host.given) {
    SDL_SetError("DISPLAY is not set: screensaver mode draws into an X window");
    return false;
  }
  if (!x11 && !wayland) {
    SDL_SetError("neither DISPLAY nor WAYLAND_DISPLAY is set");
    return false;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 && wayland ? "x11,wayland" : x11 ? "x11" : "wayland");
  return true;
}

// Desktop fullscreen, the state a window manager keeps for it.
bool SetDesktopFullscreen(SDL_Window* window, bool fullscreen) {
  if (RequestX11Fullscreen(window, fullscreen)) return true;
  return SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void ResizeWindow(SDL_Window* window, int width, int height) {
  SDL_SetWindowSize(window, width > 0 ? width : 1, height > 0 ? height : 1);
}

SDL_Rect DisplayBounds() {
  SDL_Rect bounds{0, 0, 0, 0};
  SDL_GetDisplayBounds(ChosenDisplay(), &bounds);
  return bounds;
}

}  // namespace

void ReportSdl(const char* reason) {
  core::Report(core::CallInProgress(), "%s: %s", reason, SDL_GetError());
}

void PrepareEnvironment() {
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", /*overwrite=*/0);
}

bool Open() {
  State& state = Backend();
  if (state.open) return true;
  // Signals belong to the program: they close the window like the user does.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A fullscreen window that loses focus keeps its mode, as on Windows.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // SDL holds the screensaver and display sleep off from its start unless told.
  if (!core::HoldsOffScreensaver(core::LayerOptions()))
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (!ChooseDrivers() || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    char reason[128] = "cannot open the display";
    if (IsSet("DISPLAY"))
      std::snprintf(reason, sizeof reason, "cannot open the display %s", std::getenv("DISPLAY"));
    ReportSdl(reason);
    return false;
  }
  WatchForLostX11Display();
  OpenGamepadSupport();
  StartTestGamepadHook();
  if (!state.exitHookInstalled) {
    std::atexit(CloseAtExit);
    state.exitHookInstalled = true;
  }
  state.open = true;
  return true;
}

bool IsOpen() {
  return Backend().open;
}

Surface* CreateSurface(const SurfaceParams& params) {
  if (!Open()) return nullptr;
  // SDL unloads its GL library with the last GL window, and from then on
  // SDL_GL_DeleteContext does nothing: a context deleted after its window (as
  // the demo does, and as Windows allows) would never be destroyed and its
  // display lists and compiled shaders would leak. So the layer holds its own
  // reference, released at exit. Loading the library also sets GLX up on
  // SDL's connection, which then runs beside the warm-up's.
  if (!Backend().glLibraryHeld) Backend().glLibraryHeld = SDL_GL_LoadLibrary(nullptr) == 0;
  auto* surface = new Surface;
  surface->borderless = params.borderless;
  surface->resizable = params.resizable;
  surface->hasFormat = params.format != nullptr;
  if (params.format) surface->format = *params.format;
  surface->pictureWidth = params.width;
  surface->pictureHeight = params.height;
  native::window_system::WaitForGlWarmUp();
  // The picture has the format's colour whatever the window's: a visual of
  // at least that colour is preferred, any will do.
  surface->visualChannelBits = surface->hasFormat ? surface->format.redBits : 0;
  surface->window = params.host ? AdoptHost(*params.host) : CreateWindowFor(params, *surface);
  if (!surface->window && surface->visualChannelBits > 0 && !params.host) {
    surface->visualChannelBits = 0;
    surface->window = CreateWindowFor(params, *surface);
  }
  // GLX is set up on SDL's own connection by now, window or not: the driver
  // no longer needs the warm-up's.
  native::window_system::EndGlWarmUp();
  if (!surface->window && params.host) {
    delete surface;  // AdoptHost said why
    return nullptr;
  }
  if (!surface->window) {
    char reason[160];
    std::snprintf(reason, sizeof reason, "no GL visual with %d depth and %d stencil bits",
                  surface->format.depthBits, surface->format.stencilBits);
    ReportSdl(reason);
    delete surface;
    return nullptr;
  }
  SDL_SetWindowData(surface->window, kSurfaceKey, surface);
  WatchWaylandConnection(surface->window);
  return surface;
}

void DestroySurface(Surface* surface) {
  if (!surface) return;
  ForgetPresenting(surface);
  // SDL releases a context current on the window and restores the desktop
  // mode if the window was fullscreen.
  if (Backend().open) SDL_DestroyWindow(surface->window);
  delete surface;
}

void ShowSurface(Surface* surface, bool visible) {
  if (visible) {
    SDL_ShowWindow(surface->window);
  } else {
    SDL_HideWindow(surface->window);
  }
}

void MoveSurface(Surface* surface, int x, int y) {
  SDL_SetWindowPosition(surface->window, x, y);
}

void RaiseSurface(Surface* surface) {
  SDL_RaiseWindow(surface->window);
}

void FocusSurface(Surface* surface) {
  SDL_SetWindowInputFocus(surface->window);
}

void SurfaceSize(Surface* surface, int* width, int* height) {
  SDL_GetWindowSize(surface->window, width, height);
}

void DrawableSize(Surface* surface, int* width, int* height) {
  SDL_GL_GetDrawableSize(surface->window, width, height);
}

void SetPictureSize(Surface* surface, int width, int height, bool resizeWindow) {
  if (resizeWindow) ResizeWindow(surface->window, width, height);
  if (surface->pictureWidth == width && surface->pictureHeight == height) return;
  surface->pictureWidth = width;
  surface->pictureHeight = height;
  FollowPictureSize(surface);
}

int ChosenDisplay() {
  static int warned = -1;
  const int wanted = core::LayerOptions().display;
  if (wanted == 0 || wanted < SDL_GetNumVideoDisplays()) return wanted;
  if (warned != wanted) {
    core::Report(core::CallInProgress(), "there is no display %d; using the primary", wanted);
    warned = wanted;
  }
  return 0;
}

namespace {

DisplayMode ModeOf(const SDL_DisplayMode& mode) {
  return DisplayMode{mode.w, mode.h, static_cast<int>(SDL_BITSPERPIXEL(mode.format)),
                     mode.refresh_rate};
}

}  // namespace

bool CurrentRealMode(DisplayMode* mode) {
  SDL_DisplayMode current;
  if (SDL_GetCurrentDisplayMode(ChosenDisplay(), &current) != 0) return false;
  *mode = ModeOf(current);
  return true;
}

bool RealMode(int index, DisplayMode* mode) {
  SDL_DisplayMode real;
  if (SDL_GetDisplayMode(ChosenDisplay(), index, &real) != 0) return false;
  *mode = ModeOf(real);
  return true;
}

bool CoverDisplay(Surface* surface) {
  SDL_Window* window = surface->window;
  // Without a window manager nobody acts on the fullscreen state, so the
  // window first covers the monitor itself.
  const SDL_Rect bounds = DisplayBounds();
  SDL_SetWindowPosition(window, bounds.x, bounds.y);
  SDL_SetWindowSize(window, bounds.w, bounds.h);
  return SetDesktopFullscreen(window, true);
}

namespace {

void ShowWindowed(SDL_Window* window, int x, int y, int width, int height) {
  SetDesktopFullscreen(window, false);
  SDL_SetWindowBordered(window, SDL_TRUE);
  SDL_SetWindowResizable(window, SDL_TRUE);
  AwaitX11Frame(window);
  SDL_SetWindowSize(window, width, height);
  SDL_SetWindowPosition(window, x, y);
}

bool OnSomeMonitor(const SDL_Rect& rect) {
  for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(display, &bounds) == 0 && SDL_HasIntersection(&rect, &bounds))
      return true;
  }
  return false;
}

}  // namespace

void ShowInWindow(Surface* surface, int width, int height) {
  const int centred = SDL_WINDOWPOS_CENTERED_DISPLAY(ChosenDisplay());
  ShowWindowed(surface->window, centred, centred, width, height);
}

void ShowInWindowAt(Surface* surface, int x, int y, int width, int height) {
  // A place on a monitor that has gone since would leave the window where
  // nobody can reach it: it is centred instead.
  if (!OnSomeMonitor(SDL_Rect{x, y, width, height})) return ShowInWindow(surface, width, height);
  ShowWindowed(surface->window, x, y, width, height);
}

bool WindowPosition(Surface* surface, int* x, int* y) {
  // Wayland keeps where windows are from their programs.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "wayland") == 0) return false;
  SDL_GetWindowPosition(surface->window, x, y);
  return true;
}

core::RealSwitch EnterFullscreen(Surface* surface, const DisplayMode& wanted) {
  SDL_Window* window = surface->window;
  const int display = ChosenDisplay();
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display, &bounds) != 0) return core::RealSwitch::kFailed;
  SDL_DisplayMode mode;
  const bool haveMode = FindMode(display, wanted.width, wanted.height, wanted.bitsPerPixel,
                                 wanted.refreshRate, &mode);
  // Without a window manager nobody acts on the fullscreen state, so the
  // window is first made to cover the display itself.
  SDL_SetWindowPosition(window, bounds.x, bounds.y);
  SDL_SetWindowSize(window, haveMode ? mode.w : bounds.w, haveMode ? mode.h : bounds.h);
  if (haveMode && SDL_SetWindowDisplayMode(window, &mode) == 0 &&
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0) {
    return core::RealSwitch::kMode;
  }
  SDL_SetWindowSize(window, bounds.w, bounds.h);
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
    return core::RealSwitch::kDesktopSize;
  }
  return core::RealSwitch::kFailed;
}

void LeaveFullscreen(Surface* surface, int x, int y, int width, int height) {
  SDL_Window* window = surface->window;
  const Uint32 flags = SDL_GetWindowFlags(window);
  // Covering the monitor is a state the window manager keeps, asked for in
  // the layer's own request; a real switch is SDL's.
  if (!(flags & SDL_WINDOW_FULLSCREEN)) SetDesktopFullscreen(window, false);
  SDL_SetWindowFullscreen(window, 0);
  SDL_SetWindowBordered(window, surface->borderless ? SDL_FALSE : SDL_TRUE);
  SDL_SetWindowResizable(window, surface->resizable ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowPosition(window, x, y);
  ResizeWindow(window, width, height);
}

void ShowCursor(bool visible) {
  if (Backend().open) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void ReadEvents() {
  if (!Backend().open) return;
  RunTestGamepadHook();
  SDL_PumpEvents();
  CheckWaylandConnection();
}

void WaitForEvents() {
  if (!Backend().open) return;
  SDL_WaitEvent(nullptr);
  CheckWaylandConnection();
}

void WakeEventWait() {
  SDL_Event wake{};
  wake.type = SDL_USEREVENT;
  SDL_PushEvent(&wake);
}

int64_t RefreshMilliHz(Surface* surface) {
  SDL_DisplayMode mode;
  const int display = SDL_GetWindowDisplayIndex(surface->window);
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
  return int64_t{mode.refresh_rate} * 1000;
}

bool NextEvent(Event* event) {
  if (!Backend().open) return false;
  *event = Event{};
  SDL_Event sdlEvent;
  while (SDL_PeepEvents(&sdlEvent, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    if (Translate(sdlEvent, event)) return true;
  }
  // The window the program was given has gone: it ends as if closed.
  if (TakeX11HostGone()) {
    event->kind = Event::kCloseRequest;
    return true;
  }
  return false;
}

}  // namespace native::window_system

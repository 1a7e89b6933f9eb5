// The window system under the native layer, on SDL2.
#include "platform/native/window_system/sdl_backend.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/native/entry_guard.h"
#include "platform/native/native_report.h"
#include "platform/native/window_system/gl_warm_up.h"

namespace backend {

struct Surface {
  SDL_Window* window = nullptr;
  PixelRequest pixels;  // as the visual was chosen; contexts must ask the same
  void* owner = nullptr;
};

struct GlContext {
  SDL_GLContext context = nullptr;
};

namespace {

const char kSurfaceKey[] = "plumo.surface";

struct State {
  bool open = false;
  bool exitHookInstalled = false;
  bool glLibraryHeld = false;  // our own reference on SDL's GL library
};

State& Backend() {
  static State state;
  return state;
}

void Report(const char* call, const char* reason) {
  native::Report(call, "%s: %s", reason, SDL_GetError());
}

// A switched display mode is not put back by X when the process ends, so the
// desktop mode is restored on every normal exit path (return from main, exit).
void CloseAtExit() {
  if (!Backend().open) return;
  Backend().open = false;
  if (Backend().glLibraryHeld) SDL_GL_UnloadLibrary();
  Backend().glLibraryHeld = false;
  SDL_Quit();
}

// Xlib's own handler for a lost server calls exit(), whose handlers would then
// wait forever on the dead connection. With the display gone there is no mode
// left to restore: say so and end at once.
int DisplayLost(Display*) {
  native::Report(native::CallInProgress(), "the connection to the display was lost");
  _exit(1);
}

// Channel sizes are minima for GLX, so a 16-bit request still finds a 24-bit
// visual; zero asks for any RGB visual at all.
void ApplyPixels(const PixelRequest& pixels) {
  int channel = 0;
  if (pixels.colorBits >= 24) {
    channel = 8;
  } else if (pixels.colorBits >= 15) {
    channel = 5;
  } else if (pixels.colorBits > 0) {
    channel = 1;
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, pixels.depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, pixels.stencilBits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, pixels.doubleBuffer ? 1 : 0);
}

// On X11, names the visual ChoosePixelFormat would take for SDL's next
// window: GLX left to itself prefers the largest depth buffer, Windows the
// closest. False when SDL is left to choose.
bool NameVisual(const PixelRequest& pixels) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return false;
  native::VisualRequest request;
  request.colorBits = pixels.colorBits;
  request.depthBits = pixels.depthBits;
  request.stencilBits = pixels.stencilBits;
  request.doubleBuffer = pixels.doubleBuffer;
  const unsigned long id = native::ChooseVisual(native::GlxVisuals(), request);
  if (id == 0) return false;
  return SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, std::to_string(id).c_str()) == SDL_TRUE;
}

SDL_Window* CreateWindowFor(const SurfaceParams& params, const PixelRequest& pixels) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (params.borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (params.resizable) flags |= SDL_WINDOW_RESIZABLE;
  ApplyPixels(pixels);
  const bool named = NameVisual(pixels);
  SDL_Window* window =
      SDL_CreateWindow(params.title, params.x, params.y, params.width > 0 ? params.width : 1,
                       params.height > 0 ? params.height : 1, flags);
  if (named) SDL_ResetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID);
  return window;
}

int FunctionKey(SDL_Keycode key) {
  if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
  if (key >= SDLK_F13 && key <= SDLK_F24) return 0x7C + (key - SDLK_F13);
  return 0;
}

int KeypadKey(SDL_Keycode key) {
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_KP_0:
      return 0x60;  // VK_NUMPAD0
    case SDLK_KP_MULTIPLY:
      return 0x6A;  // VK_MULTIPLY
    case SDLK_KP_PLUS:
      return 0x6B;  // VK_ADD
    case SDLK_KP_MINUS:
      return 0x6D;  // VK_SUBTRACT
    case SDLK_KP_PERIOD:
      return 0x6E;  // VK_DECIMAL
    case SDLK_KP_DIVIDE:
      return 0x6F;  // VK_DIVIDE
    case SDLK_KP_ENTER:
      return 0x0D;  // VK_RETURN, as Windows reports it
    default:
      return 0;
  }
}

// Punctuation has the US layout's VK_OEM_* codes.
int PunctuationKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_SEMICOLON:
      return 0xBA;
    case SDLK_EQUALS:
      return 0xBB;
    case SDLK_COMMA:
      return 0xBC;
    case SDLK_MINUS:
      return 0xBD;
    case SDLK_PERIOD:
      return 0xBE;
    case SDLK_SLASH:
      return 0xBF;
    case SDLK_BACKQUOTE:
      return 0xC0;
    case SDLK_LEFTBRACKET:
      return 0xDB;
    case SDLK_BACKSLASH:
      return 0xDC;
    case SDLK_RIGHTBRACKET:
      return 0xDD;
    case SDLK_QUOTE:
      return 0xDE;
    default:
      return 0;
  }
}

int EditingKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_BACKSPACE:
      return 0x08;
    case SDLK_TAB:
      return 0x09;
    case SDLK_RETURN:
      return 0x0D;
    case SDLK_PAUSE:
      return 0x13;
    case SDLK_CAPSLOCK:
      return 0x14;
    case SDLK_ESCAPE:
      return 0x1B;
    case SDLK_SPACE:
      return 0x20;
    case SDLK_PAGEUP:
      return 0x21;
    case SDLK_PAGEDOWN:
      return 0x22;
    case SDLK_END:
      return 0x23;
    case SDLK_HOME:
      return 0x24;
    case SDLK_LEFT:
      return 0x25;
    case SDLK_UP:
      return 0x26;
    case SDLK_RIGHT:
      return 0x27;
    case SDLK_DOWN:
      return 0x28;
    case SDLK_PRINTSCREEN:
      return 0x2C;
    case SDLK_INSERT:
      return 0x2D;
    case SDLK_DELETE:
      return 0x2E;
    // Windows reports the generic modifier codes in WM_KEYDOWN.
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return 0x10;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return 0x11;
    case SDLK_LALT:
    case SDLK_RALT:
      return 0x12;
    default:
      return 0;
  }
}

// The Win32 virtual-key code for an SDL key, 0 for keys the demo's Windows
// counterpart has no code for.
int VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return key;
  if (int vk = EditingKey(key)) return vk;
  if (int vk = FunctionKey(key)) return vk;
  if (int vk = KeypadKey(key)) return vk;
  return PunctuationKey(key);
}

void* OwnerOf(Uint32 windowId) {
  SDL_Window* window = SDL_GetWindowFromID(windowId);
  if (!window) return nullptr;  // destroyed since the event was queued
  auto* surface = static_cast<Surface*>(SDL_GetWindowData(window, kSurfaceKey));
  return surface ? surface->owner : nullptr;
}

bool TranslateKey(const SDL_KeyboardEvent& key, Event* out) {
  out->virtualKey = VirtualKey(key.keysym.sym);
  if (out->virtualKey == 0) return false;
  out->kind = key.type == SDL_KEYDOWN ? Event::kKeyDown : Event::kKeyUp;
  out->repeat = key.repeat != 0;
  out->alt = (key.keysym.mod & KMOD_ALT) != 0;
  // SDL takes X focus changes with a delay, and names no window for a key
  // typed meanwhile; such a key goes to the window that has the focus.
  out->owner = OwnerOf(key.windowID);
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
    default:
      return false;
  }
  out->x = window.data1;
  out->y = window.data2;
  out->owner = OwnerOf(window.windowID);
  return out->owner != nullptr;
}

bool Translate(const SDL_Event& event, Event* out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return TranslateKey(event.key, out);
    case SDL_WINDOWEVENT:
      return TranslateWindowEvent(event.window, out);
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
bool ChooseDrivers() {
  if (IsSet("SDL_VIDEODRIVER")) return true;
  const bool x11 = IsSet("DISPLAY");
  const bool wayland = IsSet("WAYLAND_DISPLAY");
  if (!x11 && !wayland) {
    SDL_SetError("neither DISPLAY nor WAYLAND_DISPLAY is set");
    return false;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, x11 && wayland ? "x11,wayland" : x11 ? "x11" : "wayland");
  return true;
}

}  // namespace

void PrepareEnvironment() {
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", /*overwrite=*/0);
}

bool Open(const char* call) {
  State& state = Backend();
  if (state.open) return true;
  // Signals belong to the program: they close the window like the user does.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // A fullscreen window that loses focus keeps its mode, as on Windows.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!ChooseDrivers() || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    char reason[128] = "cannot open the display";
    if (IsSet("DISPLAY"))
      std::snprintf(reason, sizeof reason, "cannot open the display %s", std::getenv("DISPLAY"));
    Report(call, reason);
    return false;
  }
  if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) XSetIOErrorHandler(DisplayLost);
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

Surface* CreateSurface(const SurfaceParams& params, const char* call) {
  if (!Open(call)) return nullptr;
  // SDL unloads its GL library with the last GL window, and from then on
  // SDL_GL_DeleteContext does nothing: a context deleted after its window (as
  // the demo does, and as Windows allows) would never be destroyed and its
  // display lists and compiled shaders would leak. So the layer holds its own
  // reference, released at exit. Loading the library also sets GLX up on
  // SDL's connection, which then runs beside the warm-up's.
  if (!Backend().glLibraryHeld) Backend().glLibraryHeld = SDL_GL_LoadLibrary(nullptr) == 0;
  PixelRequest pixels = params.pixels;
  SDL_Window* window = CreateWindowFor(params, pixels);
  if (!window && pixels.colorBits > 0) {
    pixels.colorBits = 0;  // colour depth is a preference: take the visual there is
    window = CreateWindowFor(params, pixels);
  }
  // GLX is set up on SDL's own connection by now, window or not: the driver
  // no longer needs the warm-up's.
  native::EndGlWarmUp();
  if (!window) {
    char reason[160];
    std::snprintf(reason, sizeof reason, "no GL visual with %d depth and %d stencil bits%s",
                  params.pixels.depthBits, params.pixels.stencilBits,
                  params.pixels.doubleBuffer ? ", double-buffered" : "");
    Report(call, reason);
    return nullptr;
  }
  auto* surface = new (std::nothrow) Surface{window, pixels, params.owner};
  if (!surface) {
    SDL_DestroyWindow(window);
    native::Report(call, "out of memory");
    return nullptr;
  }
  SDL_SetWindowData(window, kSurfaceKey, surface);
  return surface;
}

void DestroySurface(Surface* surface) {
  if (!surface) return;
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

void ResizeSurface(Surface* surface, int width, int height) {
  SDL_SetWindowSize(surface->window, width > 0 ? width : 1, height > 0 ? height : 1);
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

GlContext* CreateContext(Surface* surface, const char* call) {
  // GLX picks the context's config from the attributes, so they must match
  // the visual the window was created with.
  ApplyPixels(surface->pixels);
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previous = SDL_GL_GetCurrentContext();
  SDL_GLContext context = SDL_GL_CreateContext(surface->window);
  if (!context) {
    Report(call, "cannot create a GL context");
    return nullptr;
  }
  // SDL makes the new context current; wglCreateContext does not.
  SDL_GL_MakeCurrent(previousWindow, previous);
  auto* made = new (std::nothrow) GlContext{context};
  if (!made) {
    SDL_GL_DeleteContext(context);
    native::Report(call, "out of memory");
  }
  return made;
}

bool MakeCurrent(Surface* surface, GlContext* context) {
  if (!context) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
  if (!surface) return false;
  return SDL_GL_MakeCurrent(surface->window, context->context) == 0;
}

void DeleteContext(GlContext* context) {
  if (!context) return;
  if (Backend().open) SDL_GL_DeleteContext(context->context);
  delete context;
}

bool IsCurrent(const GlContext* context) {
  return context && Backend().open && SDL_GL_GetCurrentContext() == context->context;
}

bool Present(Surface* surface) {
  // SDL presents only the window whose context is current.
  if (SDL_GL_GetCurrentWindow() != surface->window) return false;
  SDL_GL_SwapWindow(surface->window);
  return true;
}

bool DisplaySize(int* width, int* height) {
  SDL_DisplayMode mode;
  if (SDL_GetCurrentDisplayMode(0, &mode) != 0) return false;
  *width = mode.w;
  *height = mode.h;
  return true;
}

namespace {

// Whether a window manager is there to act on a fullscreen request (X11's
// EWMH check); on other window systems one is taken to be.
bool WindowManagerRunning(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  ::Display* x = info.info.x11.display;
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW,
                                        &type, &format, &count, &after, &data) == Success &&
                     count == 1;
  if (data) XFree(data);
  return found;
}

}  // namespace

Fullscreen EnterFullscreen(Surface* surface, int width, int height, int bitsPerPixel,
                           int refreshRate) {
  SDL_Window* window = surface->window;
  const int display = SDL_GetWindowDisplayIndex(window);
  SDL_Rect bounds;
  if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0) return Fullscreen::kFailed;
  SDL_DisplayMode mode;
  const bool haveMode = FindMode(display, width, height, bitsPerPixel, refreshRate, &mode);
  // Without a window manager nobody acts on the fullscreen state, so the
  // window is first made to cover the display itself.
  SDL_SetWindowPosition(window, bounds.x, bounds.y);
  SDL_SetWindowSize(window, haveMode ? mode.w : bounds.w, haveMode ? mode.h : bounds.h);
  // Already in that mode with no window manager: covering the display is all
  // there is to do, and SDL's request would only wait 100 ms for a manager.
  SDL_DisplayMode current;
  if (haveMode && SDL_GetCurrentDisplayMode(display, &current) == 0 && current.w == mode.w &&
      current.h == mode.h && !WindowManagerRunning(window)) {
    return Fullscreen::kMode;
  }
  if (haveMode && SDL_SetWindowDisplayMode(window, &mode) == 0 &&
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0) {
    return Fullscreen::kMode;
  }
  SDL_SetWindowSize(window, bounds.w, bounds.h);
  if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) {
    return Fullscreen::kDesktop;
  }
  return Fullscreen::kFailed;
}

void LeaveFullscreen(Surface* surface, int x, int y, int width, int height) {
  SDL_SetWindowFullscreen(surface->window, 0);
  SDL_SetWindowPosition(surface->window, x, y);
  ResizeSurface(surface, width, height);
}

void ShowCursor(bool visible) {
  if (Backend().open) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void ReadEvents() {
  if (Backend().open) SDL_PumpEvents();
}

bool NextEvent(Event* event) {
  if (!Backend().open) return false;
  SDL_Event sdlEvent;
  while (SDL_PeepEvents(&sdlEvent, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    if (Translate(sdlEvent, event)) return true;
  }
  return false;
}

}  // namespace backend

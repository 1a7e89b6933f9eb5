// GL contexts on SDL2, and the presentation: the demo draws into a
// framebuffer of its pixel format and client size, which SwapBuffers scales
// into the window: with GL, or where the renderer is software, without it
// (shared_present.h).
#include <GL/gl.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/options.h"
#include "platform/core/report.h"
#include "platform/native/window_system/present_scaler.h"
#include "platform/native/window_system/sdl_internal.h"
#include "platform/native/window_system/shared_present.h"

namespace native::window_system {
namespace {

// A window's present without GL: its presenter, or none when it has been
// found unable (no shared memory with the window system, another visual).
struct SharedPresent {
  std::unique_ptr<SharedPresenter> presenter;
  bool tried = false;
  const char* failure = nullptr;  // why it should have been had and was not
  bool fallbackReported = false;  // once per window
  std::vector<uint16_t> picture;  // the framebuffer read back
};

struct State {
  GlContext* current = nullptr;  // made current through MakeCurrent, on this thread
  bool fallbackReported = false;
  int software = -1;  // whether the GL renderer is a software one; -1 before asking
  std::map<const Surface*, SharedPresent> shared;
};

State& Gl() {
  static State state;
  return state;
}

bool Direct() {
  return core::LayerOptions().presentation == core::Presentation::kDirect;
}

// Mesa's CPU renderers. Every context of the process has the same driver.
bool SoftwareRenderer() {
  State& state = Gl();
  if (state.software < 0) {
    const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::string renderer = name ? name : "";
    for (char& c : renderer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    state.software = renderer.find("llvmpipe") != std::string::npos ||
                     renderer.find("softpipe") != std::string::npos ||
                     renderer.find("swrast") != std::string::npos;
  }
  return state.software == 1;
}

void Link(GlContext* context, Surface* surface) {
  if (context->surface == surface && surface->presenting == context) return;
  if (context->surface) context->surface->presenting = nullptr;
  if (surface->presenting) surface->presenting->surface = nullptr;
  context->surface = surface;
  surface->presenting = context;
}

// Vsync as the options say: adaptive where the driver has it, else on.
void SetSwapInterval(Surface* surface) {
  if (surface->swapIntervalSet) return;
  surface->swapIntervalSet = true;
  if (!core::LayerOptions().vsync) {
    SDL_GL_SetSwapInterval(0);
  } else if (SDL_GL_SetSwapInterval(-1) != 0) {
    SDL_GL_SetSwapInterval(1);
  }
}

// With `context` current on `surface`: its framebuffer has the surface's
// format and picture size, and is bound.
void PrepareFramebuffer(GlContext* context, Surface* surface) {
  if (Direct() || context->direct || !surface->hasFormat) return;
  Framebuffer& framebuffer = context->framebuffer;
  if (!framebuffer.Fits(surface->format, surface->pictureWidth, surface->pictureHeight)) {
    if (!Framebuffer::Supported() ||
        !framebuffer.Make(surface->format, surface->pictureWidth, surface->pictureHeight)) {
      context->direct = true;
      if (!Gl().fallbackReported) {
        core::Report("wglMakeCurrent",
                     "this GL has no framebuffer objects for the pixel format; drawing straight "
                     "into the window");
        Gl().fallbackReported = true;
      }
      return;
    }
  }
  framebuffer.Bind();
}

bool CurrentOn(const Surface* surface) {
  const GlContext* context = Gl().current;
  return context && context->surface == surface && SDL_GL_GetCurrentWindow() == surface->window &&
         SDL_GL_GetCurrentContext() == context->context;
}

}  // namespace

// GLX picks a window's visual and its contexts' configuration from these
// attributes, so they stay the same for both. The framebuffer has the pixel
// format whatever the visual; the visual still has the depth and stencil
// buffers asked for, for drawing straight into the window.
void ApplyPixels(const Surface& surface) {
  // Channel sizes are minima for GLX, so a 5-bit request still finds a
  // 24-bit visual; zero asks for any RGB visual at all.
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, surface.visualChannelBits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, surface.visualChannelBits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, surface.visualChannelBits);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, surface.format.depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, surface.format.stencilBits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

void ForgetPresenting(Surface* surface) {
  if (surface->presenting) surface->presenting->surface = nullptr;
  surface->presenting = nullptr;
  // Before the window goes: the presenter's last puts are waited for.
  Gl().shared.erase(surface);
}

void FollowPictureSize(Surface* surface) {
  // Made at once when it can be, so the next frame is drawn at the new size.
  if (CurrentOn(surface)) PrepareFramebuffer(Gl().current, surface);
}

core::Rect PresentedRect(Surface* surface, int* drawableWidth, int* drawableHeight) {
  SDL_GL_GetDrawableSize(surface->window, drawableWidth, drawableHeight);
  const GlContext* context = surface->presenting;
  if (!context || !context->framebuffer.Ready())
    return core::Rect{0, 0, *drawableWidth, *drawableHeight};
  return core::PictureRect(core::LayerOptions().scale, context->framebuffer.Width(),
                           context->framebuffer.Height(), *drawableWidth, *drawableHeight);
}

GlContext* CreateContext(Surface* surface) {
  ApplyPixels(*surface);
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previous = SDL_GL_GetCurrentContext();
  // Allocated first: once the GL context exists, nothing may fail.
  auto made = std::make_unique<GlContext>();
  made->context = SDL_GL_CreateContext(surface->window);
  if (!made->context) {
    ReportSdl("cannot create a GL context");
    return nullptr;
  }
  // SDL makes the new context current; wglCreateContext does not.
  SDL_GL_MakeCurrent(previousWindow, previous);
  return made.release();
}

bool MakeCurrent(Surface* surface, GlContext* context) {
  if (!context) {
    Gl().current = nullptr;
    return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
  }
  if (!surface || SDL_GL_MakeCurrent(surface->window, context->context) != 0) return false;
  Gl().current = context;
  Link(context, surface);
  SetSwapInterval(surface);
  PrepareFramebuffer(context, surface);
  return true;
}

void DeleteContext(GlContext* context) {
  if (!context) return;
  if (context->surface) context->surface->presenting = nullptr;
  if (Gl().current == context) Gl().current = nullptr;
  // Its framebuffer goes with it.
  if (IsOpen()) SDL_GL_DeleteContext(context->context);
  delete context;
}

bool IsCurrent(const GlContext* context) {
  return context && IsOpen() && SDL_GL_GetCurrentContext() == context->context;
}

namespace {

// The present without GL, where it is chosen and shows what the GL would:
// linear filtering, or nearest where no destination pixel's centre falls on
// the line between two picture pixels (see NearestHasTies). True when the
// picture is on its way to the window and there is nothing to swap.
bool PresentShared(Surface* surface, const Framebuffer& framebuffer, int drawableWidth,
                   int drawableHeight, const core::Rect& target, bool linear) {
  State& state = Gl();
  const core::Presentation presentation = core::LayerOptions().presentation;
  const bool wanted = presentation == core::Presentation::kShared ||
                      (presentation == core::Presentation::kAuto && SoftwareRenderer());
  SharedPresent* shared = nullptr;
  if (wanted && framebuffer.Holds565()) {
    // As PresentInto: an unscaled picture is copied, not filtered.
    linear =
        linear && (target.width != framebuffer.Width() || target.height != framebuffer.Height());
    const bool exact = linear || (!NearestHasTies(framebuffer.Width(), target.width) &&
                                  !NearestHasTies(framebuffer.Height(), target.height));
    shared = &state.shared[surface];
    if (!shared->tried) {
      shared->tried = true;
      shared->presenter = OpenX11Presenter(surface->window, &shared->failure);
      if (!shared->presenter && !shared->failure)
        shared->presenter = OpenWaylandPresenter(surface->window, &shared->failure);
    }
    if (shared->presenter && exact) {
      shared->picture.resize(static_cast<size_t>(framebuffer.Width()) *
                             static_cast<size_t>(framebuffer.Height()));
      framebuffer.ReadPixels565(shared->picture.data());
      const Shown shown = shared->presenter->Present(shared->picture.data(), framebuffer.Width(),
                                                     framebuffer.Height(), drawableWidth,
                                                     drawableHeight, target, linear);
      if (shown == Shown::kShown) return true;
      if (shown == Shown::kRefused)
        shared->failure = "the window system refused the picture's memory";
    }
    // A failure is said whether the present without GL was chosen or asked
    // for; where it does not apply, or the layer leaves a picture to GL, only
    // when it was asked for.
    const char* why = shared->failure;
    if (!why && presentation == core::Presentation::kShared) {
      why = !shared->presenter ? "no shared memory with the window system for this window"
            : exact            ? "the picture overflows the window"
                               : "nearest scaling to this size is left to GL";
    }
    if (why && !shared->fallbackReported) {
      shared->fallbackReported = true;
      core::Report("SwapBuffers", "%s; presenting with GL", why);
    }
  } else {
    const auto found = state.shared.find(surface);
    if (found != state.shared.end()) shared = &found->second;
  }
  // GL draws the whole window, bars and all.
  if (shared && shared->presenter) shared->presenter->Forget();
  return false;
}

}  // namespace

bool Present(Surface* surface) {
  // SDL presents only the window whose context is current.
  if (SDL_GL_GetCurrentWindow() != surface->window) return false;
  if (CurrentOn(surface) && Gl().current->framebuffer.Ready()) {
    const Framebuffer& framebuffer = Gl().current->framebuffer;
    int drawableWidth = 0;
    int drawableHeight = 0;
    const core::Rect target = PresentedRect(surface, &drawableWidth, &drawableHeight);
    const core::Options& options = core::LayerOptions();
    const bool linear = options.linear && options.scale != core::Scale::kInteger;
    if (PresentShared(surface, framebuffer, drawableWidth, drawableHeight, target, linear))
      return true;
    framebuffer.PresentInto(drawableWidth, drawableHeight, target, linear);
  }
  SDL_GL_SwapWindow(surface->window);
  return true;
}

bool CurrentDrawsTopDown() {
  const GlContext* context = Gl().current;
  return context && IsCurrent(context) && context->framebuffer.TopDown();
}

bool ReadPicture(Surface* surface, bool shown, Picture* picture) {
  if (!CurrentOn(surface)) return false;
  const Framebuffer& framebuffer = Gl().current->framebuffer;
  if (framebuffer.Ready()) return framebuffer.Read(picture);
  return ReadWindowBuffer(shown, surface->pictureWidth, surface->pictureHeight, picture);
}

}  // namespace native::window_system

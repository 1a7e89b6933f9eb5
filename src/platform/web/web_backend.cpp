// The web backend's table: the canvas is the screen, the browser's keys are
// the events, one GL 1.1 context is emulated on the canvas's WebGL 2 context
// (gl/), the faces are baked into the page (fonts/), and the clock is the
// page's (page_clock.h): the browser's monotonic one, a fixed step, or the
// still picture that reduced motion asks for.
//
// Sleep is where the demo's own blocking loop gives the browser its turn:
// through Asyncify the call unwinds to the event loop and resumes at the next
// animation frame, so every pass of the loop presents one frame; a hidden
// page gets none, and its program sleeps until it shows again.
#include "platform/web/web_backend.h"

#include <memory>

#include "platform/core/layer_windows.h"
#include "platform/core/present_geometry.h"
#include "platform/core/report.h"
#include "platform/core/scene_clock.h"
#include "platform/web/browser.h"
#include "platform/web/fonts/web_faces.h"
#include "platform/web/gl/gl_context.h"
#include "platform/web/gl/webgl_renderer.h"
#include "platform/web/page_clock.h"
#include "platform/web/virtual_keys.h"

// The canvas stands for every window; a surface only knows its picture's size.
struct core::Surface {
  int width = 0;
  int height = 0;
};

struct core::GlContext {
  web::gl::WebGlRenderer renderer;
  web::gl::GlContext gl{&renderer};
};

namespace web {
namespace {

// The one pixel format: what the demo asks for, double-buffered RGBA with
// 5/6/5 colour and a 16-bit depth buffer.
const std::vector<core::PixelFormat> kFormats = {{5, 6, 5, 0, 16, 0}};

PageClock& TheClock() {
  static PageClock clock;
  return clock;
}

class WebBackend final : public core::Backend {
 public:
  bool Open() override { return true; }
  bool DesktopMode(core::DisplayMode* mode) override {
    int width = 0;
    int height = 0;
    plumo_canvas_size(&width, &height);
    *mode = core::DisplayMode{width, height, 32, 60};
    return true;
  }
  void ShowCursor(bool visible) override { plumo_show_cursor(visible); }

  core::Surface* CreateSurface(const core::SurfaceParams& params) override {
    return new core::Surface{params.width, params.height};
  }
  void DestroySurface(core::Surface* surface) override { delete surface; }
  void SetPictureSize(core::Surface* surface, int width, int height, bool) override {
    surface->width = width;
    surface->height = height;
    if (context_ && gl::Current() == &context_->gl) context_->gl.SetDrawableSize(width, height);
  }
  void WindowSize(core::Surface*, int* width, int* height) override {
    plumo_canvas_size(width, height);
  }
  void DrawableSize(core::Surface* surface, int* width, int* height) override {
    WindowSize(surface, width, height);
  }

  bool NextEvent(core::Event* event) override {
    char code[64];
    int repeat = 0;
    int alt = 0;
    while (int kind = plumo_next_event(code, sizeof code, &repeat, &alt)) {
      if (kind == kPlay) {
        TheClock().Play(plumo_now_ms());
        continue;
      }
      if (kind == kHidden || kind == kShown) {
        // The tab: the whole page, which is the whole program.
        *event = core::Event{};
        event->kind = kind == kHidden ? core::Event::kHidden : core::Event::kShown;
        return true;
      }
      const unsigned key = VirtualKeyFromCode(code);
      if (!key) continue;
      // The canvas names no window: keys go to the one with the focus.
      *event = core::Event{};
      event->kind = kind == kKeyDown ? core::Event::kKeyDown : core::Event::kKeyUp;
      event->virtualKey = static_cast<int>(key);
      event->repeat = repeat != 0;
      event->alt = alt != 0;
      return true;
    }
    return false;
  }

  const std::vector<core::PixelFormat>& PixelFormats() override { return kFormats; }
  core::GlContext* CreateContext(core::Surface* surface) override {
    // The canvas has one WebGL context, so the page has one GL context at a time.
    if (context_) {
      core::Report(core::CallInProgress(), "the page has one GL context, and it exists");
      return nullptr;
    }
    if (!plumo_gl_open(surface->width, surface->height)) {
      core::Report(core::CallInProgress(), "the browser gives this page no WebGL 2 context");
      return nullptr;
    }
    context_ = new core::GlContext;
    context_->gl.SetDrawableSize(surface->width, surface->height);
    return context_;
  }
  bool MakeCurrent(core::Surface*, core::GlContext* context) override {
    gl::MakeCurrent(context ? &context->gl : nullptr);
    return true;
  }
  void DeleteContext(core::GlContext* context) override {
    if (gl::Current() == &context->gl) gl::MakeCurrent(nullptr);
    delete context;
    context_ = nullptr;
    plumo_gl_close();
  }
  bool IsCurrent(const core::GlContext* context) override {
    return context && gl::Current() == &context->gl;
  }
  bool Present(core::Surface*) override {
    gl::GlContext* context = gl::Current();
    if (!context) return false;
    // The picture is the framebuffer, fitted to the canvas with black bars:
    // sharp where it lands on whole pixels, filtered where it is scaled.
    context->Flush();
    int canvasWidth = 0;
    int canvasHeight = 0;
    plumo_canvas_size(&canvasWidth, &canvasHeight);
    const int width = context->DrawableWidth();
    const int height = context->DrawableHeight();
    const core::Rect place =
        core::PictureRect(core::Scale::kFit, width, height, canvasWidth, canvasHeight);
    const bool scaled = place.width != width || place.height != height;
    // The counter this frame was drawn at (a fixed step moves on as it presents).
    const double seconds =
        static_cast<double>(core::TheSceneClock().Read(TheClock().Peek(plumo_now_ms()))) /
        static_cast<double>(TheClock().Frequency());
    const PageClock::Frame frame = TheClock().Present();
    // The page draws from the bottom left, as GL counts.
    if (frame.shown)
      plumo_gl_present(place.x, canvasHeight - place.y - place.height, place.width, place.height,
                       scaled);
    if (frame.counted)
      plumo_frame_presented(static_cast<int>(frame.frames), frame.held, frame.fixedStep, seconds);
    return true;
  }

  core::Faces& Fonts() override { return fonts::TheFaces(); }

  int64_t CounterFrequency() override { return TheClock().Frequency(); }
  int64_t CounterNow() override { return TheClock().Read(plumo_now_ms()); }
  void Sleep(DWORD milliseconds) override {
    const core::WindowManager& windows = core::Windows();
    if (!plumo_page_hidden()) {
      WaitMode mode = kNextFrame;
      // A held run waits for input, but not while messages are still to be
      // handled (the WM_CLOSE that Escape posts), nor once its window is gone
      // (the loop sleeps once more before it ends).
      if (TheClock().Held() && windows.QueuedMessages() == 0 && windows.WindowCount() > 0)
        mode = kUntilInput;
      else if (TheClock().Unpaced())
        mode = kSoon;
      plumo_wait(mode, static_cast<int>(milliseconds));
    }
    // The page is hidden only while the program sleeps, since nothing else
    // runs meanwhile, and a hidden page gets no animation frames. So the core
    // hears of it here, and its clock stops now; then the program sleeps on
    // until the page shows again, drawing nothing, or until input brings it
    // messages.
    while (plumo_page_hidden() && windows.WindowCount() > 0) {
      core::PumpEvents();
      if (windows.QueuedMessages() > 0) return;
      plumo_wait(kUntilInput, 0);
    }
  }
  // The browser's animation frames pace the page; nothing else waits.
  bool PacesFrames() override { return true; }
  void SleepUntil(int64_t) override {}
  HMODULE ModuleHandle() override {
    // Any distinct non-null handle will do.
    static char module;
    return reinterpret_cast<HMODULE>(&module);
  }

 private:
  core::GlContext* context_ = nullptr;
};

}  // namespace

void UseFixedStep(int frames, int fps) {
  TheClock().UseFixedStep(frames, fps);
}

void UseStill(int seconds) {
  TheClock().UseStill(seconds);
}

}  // namespace web

core::Backend& core::TheBackend() {
  static web::WebBackend backend;
  return backend;
}

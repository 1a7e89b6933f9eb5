// The test backend's table: surfaces, contexts and faces as bookkeeping,
// events queued by the test, the scripted counter, and the tracer that
// records every core entry point and fails the ones a test asked to.
#include <memory>

#include "fake_platform.h"
#include "platform/core/fonts.h"
#include "platform/core/layer_windows.h"
#include "platform/core/pixel_formats.h"

struct core::Surface {
  int width = 0;  // the picture
  int height = 0;
  fake::ShownWindow window;  // while a display mode shows in a window
};
struct core::GlContext {
  int unused = 0;
};
struct core::Face {
  FontRequest request;
};

namespace fake {
namespace {

class FakeBackend final : public core::Backend, public core::Faces, public core::Tracer {
 public:
  // ---- the tracer
  bool Enter(const char* call, const core::Args& args) override {
    Platform& platform = Get();
    for (const core::TraceArg& arg : args)
      if (arg.kind == core::TraceArg::kPixelFormat && arg.pointer)
        platform.chosenFormat = *static_cast<const PIXELFORMATDESCRIPTOR*>(arg.pointer);
    return platform.Record(call, Platform::Decode(args));
  }

  // ---- the display
  bool Open() override { return true; }
  bool DesktopMode(core::DisplayMode* mode) override {
    *mode = core::DisplayMode{Get().screenWidth, Get().screenHeight, 32, 60};
    return true;
  }
  void ShowCursor(bool visible) override {
    Note("ShowCursor");
    Get().cursorShown = visible;
  }

  // ---- surfaces: the size of their picture is all they have
  core::Surface* CreateSurface(const core::SurfaceParams& params) override {
    Note(params.host ? "CreateSurface(host)" : "CreateSurface");
    return new core::Surface{params.width, params.height, ShownWindow{}};
  }
  void DestroySurface(core::Surface* surface) override {
    Note("DestroySurface");
    delete surface;
  }
  void ShowSurface(core::Surface*, bool visible) override {
    Note(visible ? "ShowSurface" : "HideSurface");
  }
  void MoveSurface(core::Surface*, int, int) override { Note("MoveSurface"); }
  void RaiseSurface(core::Surface*) override { Note("RaiseSurface"); }
  void FocusSurface(core::Surface*) override { Note("FocusSurface"); }
  void SetPictureSize(core::Surface* surface, int width, int height, bool resizeWindow) override {
    if (resizeWindow) Note("ResizeSurface");
    surface->width = width;
    surface->height = height;
  }
  void WindowSize(core::Surface* surface, int* width, int* height) override {
    const bool inWindow = surface->window.width > 0;
    *width = inWindow ? surface->window.width : surface->width;
    *height = inWindow ? surface->window.height : surface->height;
  }
  bool CoverDisplay(core::Surface* surface) override {
    Note("CoverDisplay");
    surface->window = ShownWindow{};
    return true;
  }
  void ShowInWindow(core::Surface* surface, int width, int height) override {
    Note("ShowInWindow");
    surface->window = ShownWindow{0, 0, width, height, false};
  }
  void ShowInWindowAt(core::Surface* surface, int x, int y, int width, int height) override {
    Note("ShowInWindow");
    surface->window = ShownWindow{x, y, width, height, true};
  }
  bool WindowPosition(core::Surface* surface, int* x, int* y) override {
    *x = surface->window.x;
    *y = surface->window.y;
    return surface->window.width > 0;
  }
  void LeaveFullscreen(core::Surface* surface, int, int, int, int) override {
    Note("LeaveFullscreen");
    surface->window = ShownWindow{};
  }
  void DrawableSize(core::Surface* surface, int* width, int* height) override {
    WindowSize(surface, width, height);
  }

  bool NextEvent(core::Event* event) override {
    std::deque<core::Event>& events = Get().events;
    if (events.empty()) return false;
    *event = events.front();
    events.pop_front();
    return true;
  }

  // ---- GL
  const std::vector<core::PixelFormat>& PixelFormats() override {
    return core::FramebufferPixelFormats();
  }
  core::GlContext* CreateContext(core::Surface*) override {
    ++Get().liveContexts;
    return new core::GlContext;
  }
  bool MakeCurrent(core::Surface*, core::GlContext* context) override {
    current_ = context;
    Get().contextCurrent = context != nullptr;
    return true;
  }
  void DeleteContext(core::GlContext* context) override {
    --Get().liveContexts;
    Get().lists.clear();  // display lists live and die with their context
    if (current_ == context) MakeCurrent(nullptr, nullptr);
    delete context;
  }
  bool IsCurrent(const core::GlContext* context) override { return context == current_; }
  bool Present(core::Surface*) override {
    ++Get().swaps;
    return true;
  }

  // ---- fonts
  core::Faces& Fonts() override { return *this; }
  core::Face* OpenFace(const core::FontRequest& request, std::string*) override {
    return new core::Face{request};
  }
  void CloseFace(core::Face* face) override { delete face; }
  bool CharWidths(core::Face*, UINT first, UINT last, int* widths) override {
    for (UINT code = first; code <= last; ++code) widths[code - first] = FakeCharWidth(code);
    return true;
  }
  bool BuildBitmapLists(core::Face*, DWORD, DWORD, DWORD) override { return Get().contextCurrent; }
  bool BuildOutlineLists(core::Face*, DWORD first, DWORD count, DWORD,
                         const core::OutlineStyle& style, GLYPHMETRICSFLOAT* metrics) override {
    if (!Get().contextCurrent) return false;
    // Metrics in em units, distinct per code and per format, so a test can see
    // which conversion wrote them last.
    for (DWORD i = 0; metrics && i < count; ++i) {
      const float advance = static_cast<float>(FakeCharWidth(first + i)) / 48.0f;
      const float format = style.polygons ? WGL_FONT_POLYGONS : WGL_FONT_LINES;
      metrics[i] = GLYPHMETRICSFLOAT{advance, 0.7f, {0.0f, 0.7f}, advance, format};
    }
    return true;
  }
  int AddFontFile(const char* path, std::string*) override {
    Get().fontResources.insert(path);
    return 1;
  }
  bool RemoveFontFile(const char* path) override { return Get().fontResources.erase(path) != 0; }

  // ---- time: the scripted counter; Sleep returns at once
  int64_t CounterFrequency() override { return Get().frequency; }
  int64_t CounterNow() override { return Get().counter; }
  int64_t ProgramCounterNow() override { return Get().ReadCounter(); }
  void Sleep(DWORD) override {}
  // The scripted counter moves on to the deadline, as a real sleep would.
  void SleepUntil(int64_t ticks) override {
    Platform& platform = Get();
    if (platform.counter < ticks) platform.counter = ticks;
    platform.sleptUntil.push_back(ticks);
  }
  void WaitForEvents() override { ++Get().eventWaits; }
  int64_t RefreshMilliHz(core::Surface*) override { return Get().refreshMilliHz; }
  // The usual image base of a Windows program.
  HMODULE ModuleHandle() override { return reinterpret_cast<HMODULE>(0x400000); }

 private:
  static void Note(const char* request) { Get().windowSystem.push_back(request); }

  core::GlContext* current_ = nullptr;
};

FakeBackend& TheFake() {
  static FakeBackend backend;
  return backend;
}

}  // namespace

void InstallTracer() {
  core::SetTracer(&TheFake());
}

bool Platform::ModeSwitched() const {
  return core::User().modeHeld;
}

core::DisplayMode Platform::Mode() const {
  return core::CurrentMode();
}

int Platform::CursorCounter() const {
  return core::User().cursorCounter;
}

core::Surface* Platform::SurfaceOf(HWND hwnd) const {
  return core::SurfaceOf(hwnd);
}

ShownWindow* Platform::WindowOf(HWND hwnd) const {
  core::Surface* surface = core::SurfaceOf(hwnd);
  return surface ? &surface->window : nullptr;
}

size_t Platform::LiveDeviceContexts() const {
  size_t count = 0;
  core::Windows().ForEach([&](const core::Window& window) { count += window.hdc != nullptr; });
  return count;
}

size_t Platform::LiveFonts() const {
  return core::LiveFontObjects();
}

HGDIOBJ Platform::SelectedFont(HDC hdc) const {
  return core::SelectedObject(hdc);
}

}  // namespace fake

core::Backend& core::TheBackend() {
  return fake::TheFake();
}

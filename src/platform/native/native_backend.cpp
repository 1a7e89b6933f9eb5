// The native backend's table: the core's calls, answered by the SDL adapter
// (window_system/), the font half (fonts/) and the process's own services
// (the clock, Sleep, the close signals).
#include <cerrno>
#include <ctime>

#include "platform/core/backend.h"
#include "platform/core/pixel_formats.h"
#include "platform/native/close_signals.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/window_system/sdl_backend.h"

// The first byte of the program's image, as the GNU linkers define it: the
// module handle is the image base on Windows too.
extern "C" char __executable_start;

namespace native {
namespace {

const int64_t kNanosecondsPerSecond = 1000000000;

class NativeBackend final : public core::Backend {
 public:
  bool Open() override { return native::window_system::Open(); }
  bool DesktopMode(core::DisplayMode* mode) override {
    return native::window_system::CurrentRealMode(mode);
  }
  bool RealMode(int index, core::DisplayMode* mode) override {
    return native::window_system::RealMode(index, mode);
  }
  void ShowCursor(bool visible) override { native::window_system::ShowCursor(visible); }

  core::Surface* CreateSurface(const core::SurfaceParams& params) override {
    return native::window_system::CreateSurface(params);
  }
  void DestroySurface(core::Surface* surface) override {
    native::window_system::DestroySurface(surface);
  }
  void ShowSurface(core::Surface* surface, bool visible) override {
    native::window_system::ShowSurface(surface, visible);
  }
  void MoveSurface(core::Surface* surface, int x, int y) override {
    native::window_system::MoveSurface(surface, x, y);
  }
  void RaiseSurface(core::Surface* surface) override {
    native::window_system::RaiseSurface(surface);
  }
  void FocusSurface(core::Surface* surface) override {
    native::window_system::FocusSurface(surface);
  }
  void SetPictureSize(core::Surface* surface, int width, int height, bool resizeWindow) override {
    native::window_system::SetPictureSize(surface, width, height, resizeWindow);
  }
  void WindowSize(core::Surface* surface, int* width, int* height) override {
    native::window_system::SurfaceSize(surface, width, height);
  }
  void DrawableSize(core::Surface* surface, int* width, int* height) override {
    native::window_system::DrawableSize(surface, width, height);
  }
  bool CoverDisplay(core::Surface* surface) override {
    return native::window_system::CoverDisplay(surface);
  }
  void ShowInWindow(core::Surface* surface, int width, int height) override {
    native::window_system::ShowInWindow(surface, width, height);
  }
  void ShowInWindowAt(core::Surface* surface, int x, int y, int width, int height) override {
    native::window_system::ShowInWindowAt(surface, x, y, width, height);
  }
  bool WindowPosition(core::Surface* surface, int* x, int* y) override {
    return native::window_system::WindowPosition(surface, x, y);
  }
  core::RealSwitch SwitchMode(core::Surface* surface, const core::DisplayMode& mode) override {
    return native::window_system::EnterFullscreen(surface, mode);
  }
  void LeaveFullscreen(core::Surface* surface, int x, int y, int width, int height) override {
    native::window_system::LeaveFullscreen(surface, x, y, width, height);
  }
  void SavePicture(core::Surface* surface) override {
    native::window_system::SavePictureOf(surface);
  }

  void ReadEvents() override { native::window_system::ReadEvents(); }
  void WaitForEvents() override {
    WakeOnCloseSignals(native::window_system::WakeEventWait);
    if (!CloseSignalPending()) native::window_system::WaitForEvents();
  }
  bool NextEvent(core::Event* event) override {
    if (TakeCloseSignal()) {
      *event = core::Event{};
      event->kind = core::Event::kCloseRequest;
      return true;
    }
    return native::window_system::NextEvent(event);
  }

  const std::vector<core::PixelFormat>& PixelFormats() override {
    return core::FramebufferPixelFormats();
  }
  core::GlContext* CreateContext(core::Surface* surface) override {
    return native::window_system::CreateContext(surface);
  }
  bool MakeCurrent(core::Surface* surface, core::GlContext* context) override {
    return native::window_system::MakeCurrent(surface, context);
  }
  void DeleteContext(core::GlContext* context) override {
    native::window_system::DeleteContext(context);
  }
  bool IsCurrent(const core::GlContext* context) override {
    return native::window_system::IsCurrent(context);
  }
  bool Present(core::Surface* surface) override { return native::window_system::Present(surface); }
  int64_t RefreshMilliHz(core::Surface* surface) override {
    return native::window_system::RefreshMilliHz(surface);
  }

  core::Faces& Fonts() override { return fonts::TheFaces(); }

  int64_t CounterFrequency() override { return kNanosecondsPerSecond; }
  int64_t CounterNow() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
  }
  void Sleep(DWORD milliseconds) override {
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    // A signal does not cut the sleep short on Windows.
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
  }
  void SleepUntil(int64_t ticks) override {
    const timespec deadline{static_cast<time_t>(ticks / kNanosecondsPerSecond),
                            static_cast<long>(ticks % kNanosecondsPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
  }
  HMODULE ModuleHandle() override { return reinterpret_cast<HMODULE>(&__executable_start); }
};

}  // namespace
}  // namespace native

core::Backend& core::TheBackend() {
  static native::NativeBackend backend;
  return backend;
}

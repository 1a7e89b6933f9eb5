// kernel32 in the web page: the performance counter on the browser's
// monotonic clock, Sleep as a return to the browser's event loop, and the
// module handle.
//
// Sleep is where the demo's own blocking loop gives the browser its turn:
// through Asyncify the call unwinds to the event loop and resumes at the next
// animation frame, so every pass of the loop presents one frame.
#include <cmath>
#include <optional>

#include "capture/frame_clock.h"
#include "platform/core/window_manager.h"
#include "platform/web/browser.h"
#include "platform/web/win32/web_layer.h"

namespace {

struct Clock {
  std::optional<capture::FrameClock> fixed;
  int64_t frames = 0;  // a fixed-step run holds still after these
  bool held = false;
  int64_t presented = 0;  // frames presented in real time
};

Clock& PageClock() {
  static Clock clock;
  return clock;
}

// performance.now() is in milliseconds with microsecond resolution at best.
const LONGLONG kCountsPerSecond = 1000000;

}  // namespace

namespace web {

void UseFixedStep(int frames, int fps) {
  Clock& clock = PageClock();
  clock.fixed.reset();
  clock.held = false;
  clock.frames = frames;
  if (frames > 0) clock.fixed.emplace(fps);
}

void FramePresented() {
  Clock& clock = PageClock();
  if (!clock.fixed) {
    plumo_frame_presented(static_cast<int>(++clock.presented), 0, 0);
    return;
  }
  int64_t frame = 0;
  // The Init and Load passes present too, but are not frames of the run.
  if (clock.fixed->Present(&frame) != capture::FrameClock::Swap::kFrame) return;
  clock.held = clock.fixed->FramesPresented() >= clock.frames;
  plumo_frame_presented(static_cast<int>(clock.fixed->FramesPresented()), clock.held, 1);
}

}  // namespace web

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  const Clock& clock = PageClock();
  frequency->QuadPart = clock.fixed ? clock.fixed->Frequency() : kCountsPerSecond;
  return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  Clock& clock = PageClock();
  count->QuadPart =
      clock.fixed ? clock.fixed->Read() : std::llround(plumo_now_ms() * (kCountsPerSecond / 1000));
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  const Clock& clock = PageClock();
  web::WaitMode mode = web::kNextFrame;
  // A held run waits for input, but not while messages are still to be
  // handled (the WM_CLOSE that Escape posts), nor once its window is gone
  // (the loop sleeps once more before it ends).
  const wincore::WindowManager& windows = wincore::WindowManager::Get();
  if (clock.held && windows.QueuedMessages() == 0 && windows.WindowCount() > 0)
    mode = web::kUntilInput;
  else if (clock.fixed)
    mode = web::kSoon;  // the fixed clock does not depend on the display's pace
  plumo_wait(mode, static_cast<int>(milliseconds));
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  // Only the program's own module is known; any distinct non-null handle will do.
  static char module;
  return moduleName ? nullptr : reinterpret_cast<HMODULE>(&module);
}

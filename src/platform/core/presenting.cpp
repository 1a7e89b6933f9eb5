// SwapBuffers: the picture reaches the screen no more often than the screen
// shows it, and not at all while nobody can see it.
#include "platform/core/entry.h"
#include "platform/core/frame_pacer.h"
#include "platform/core/layer_windows.h"
#include "platform/core/options.h"

namespace core {
namespace {

// The display's rate is looked up again every so many frames, so that a
// window moved to another monitor takes its rate.
const int kFramesBetweenRateLookups = 64;

struct Presenting {
  FramePacer pacer{1};
  int64_t frequency = 0;
  int framesToLookup = 0;
};

Presenting& State() {
  static Presenting state;
  return state;
}

FramePacer& PacerFor(Surface* surface) {
  Presenting& state = State();
  Backend& backend = TheBackend();
  if (state.frequency == 0) {
    state.frequency = backend.CounterFrequency();
    state.pacer = FramePacer(state.frequency);
  }
  if (state.framesToLookup-- <= 0) {
    state.framesToLookup = kFramesBetweenRateLookups;
    const Options& options = LayerOptions();
    state.pacer.Configure(backend.RefreshMilliHz(surface), options.vsync, options.maxFps);
  }
  return state.pacer;
}

}  // namespace

void LookUpRefreshRate() {
  State().framesToLookup = 0;
}

void ResetPresenting() {
  State() = Presenting{};
}

bool Present(Window& window) {
  Backend& backend = TheBackend();
  if (window.unseen || User().programUnseen) {
    // Nothing is drawn where nobody looks, and the scene clock is held
    // (user32_input.cpp): the program waits for the window system instead,
    // whose next event (shown again, closed) wakes it.
    backend.WaitForEvents();
    return true;
  }
  if (backend.PacesFrames()) return backend.Present(window.surface);
  FramePacer& pacer = PacerFor(window.surface);
  backend.SleepUntil(pacer.Deadline(backend.CounterNow()));
  const bool presented = backend.Present(window.surface);
  pacer.Presented(backend.CounterNow());
  return presented;
}

}  // namespace core

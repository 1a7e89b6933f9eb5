// plumo-capture: runs the demo's own code on a fixed-step clock and records
// every frame it presents. The demo is linked in whole and started through
// WinMain; the linker redirects its calls to the performance counter, Sleep
// and SwapBuffers to the wrappers below (see CMakeLists.txt).
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "capture/capture_options.h"
#include "capture/recording.h"
#include "capture/sinks.h"
#include "platform/core/options.h"
#include "platform/native/close_signals.h"
#include "platform/native/window_system/sdl_backend.h"
#include "platform/platform.h"

namespace {

capture::Recording* recording = nullptr;

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

extern "C" {

BOOL __real_QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL __real_QueryPerformanceCounter(LARGE_INTEGER* count);
void __real_Sleep(DWORD milliseconds);
BOOL __real_SwapBuffers(HDC hdc);

BOOL __wrap_QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!recording) return __real_QueryPerformanceFrequency(frequency);
  frequency->QuadPart = recording->Frequency();
  return TRUE;
}

BOOL __wrap_QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!recording) return __real_QueryPerformanceCounter(count);
  count->QuadPart = recording->Counter();
  return TRUE;
}

// The loop's Sleep(1) paces a live demo; a recording runs as fast as it can.
void __wrap_Sleep(DWORD milliseconds) {
  if (!recording) __real_Sleep(milliseconds);
}

BOOL __wrap_SwapBuffers(HDC hdc) {
  if (recording) recording->BeforePresent();
  return __real_SwapBuffers(hdc);
}

}  // extern "C"

int main(int argc, char** argv) {
  capture::Options options;
  std::string error;
  if (!capture::ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "plumo-capture: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(capture::UsageText().c_str(), stdout);
    return 0;
  }

  std::vector<std::unique_ptr<capture::Sink>> sinks;
  if (!options.outFolder.empty())
    sinks.push_back(std::make_unique<capture::PngFolderSink>(options.outFolder, options.fps));
  if (!options.preview.empty())
    sinks.push_back(std::make_unique<capture::GifPreviewSink>(options.preview, options.previewWidth,
                                                              options.previewHeight, options.fps,
                                                              options.previewFps));
  if (!options.video.empty())
    sinks.push_back(std::make_unique<capture::VideoSink>(options.video, options.fps));

  capture::OutputLedger ledger;
  for (const std::unique_ptr<capture::Sink>& sink : sinks) {
    if (!sink->Prepare(&ledger, &error)) {
      for (const std::unique_ptr<capture::Sink>& other : sinks) other->Abandon();
      std::vector<std::string> left;
      ledger.RemoveAll(&left);
      std::fprintf(stderr, "plumo-capture: %s\n", error.c_str());
      return 1;
    }
  }

  native::window_system::PrepareEnvironment();
  // Frames on a fixed step, as fast as they are drawn: nothing waits for a display.
  core::LayerOptions().vsync = false;
  // No display server: SDL's offscreen driver renders into EGL pbuffers. The
  // native layer takes a driver named here as given.
  if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("SDL_VIDEODRIVER"))
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
  // A failed ffmpeg shows up as a failed write, not as the end of the process.
  std::signal(SIGPIPE, SIG_IGN);
  native::InstallCloseSignals();

  capture::Recording session(options, std::move(sinks), isatty(STDERR_FILENO) != 0);
  recording = &session;
  char commandLine[] = "";
  const int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  recording = nullptr;
  return session.Finish(status, &ledger);
}

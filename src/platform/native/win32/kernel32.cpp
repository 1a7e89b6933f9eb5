// kernel32 on the native layer: the performance counter, Sleep, the module
// handle, and the close signals (the console-control part of the process).
#include <cerrno>
#include <csignal>
#include <ctime>

#include "platform/native/win32/native_signals.h"
#include "platform/platform.h"

// The first byte of the program's image, as the GNU linkers define it: the
// module handle is the image base on Windows too.
extern "C" char __executable_start;

namespace {

const LONGLONG kNanosecondsPerSecond = 1000000000;

volatile std::sig_atomic_t closeSignal = 0;

extern "C" void OnCloseSignal(int /*signal*/) {
  closeSignal = 1;
}

}  // namespace

namespace native {

void InstallCloseSignals() {
  struct sigaction action {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // A second signal lands here as well, so shutdown always runs to its end and
  // the display mode is restored.
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

bool CloseSignalPending() {
  return closeSignal != 0;
}

void ClearCloseSignal() {
  closeSignal = 0;
}

}  // namespace native

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  frequency->QuadPart = kNanosecondsPerSecond;
  return TRUE;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal does not cut the sleep short on Windows.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName) return nullptr;  // only the program's own module is known
  return reinterpret_cast<HMODULE>(&__executable_start);
}

#include "platform/native/close_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <exception>
#include <thread>

namespace native {
namespace {

volatile std::sig_atomic_t closeSignal = 0;
// The handler's way out of its async-signal context: a byte down a pipe.
int wakePipe[2] = {-1, -1};

extern "C" void OnCloseSignal(int /*signal*/) {
  const int saved = errno;
  closeSignal = 1;
  const char byte = 1;
  if (wakePipe[1] >= 0 && write(wakePipe[1], &byte, 1) < 0) {
    // Full: a wake is pending already.
  }
  errno = saved;
}

}  // namespace

void InstallCloseSignals() {
  if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC) == 0) fcntl(wakePipe[1], F_SETFL, O_NONBLOCK);
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

bool TakeCloseSignal() {
  if (!closeSignal) return false;
  closeSignal = 0;
  return true;
}

bool CloseSignalPending() {
  return closeSignal != 0;
}

void WakeOnCloseSignals(void (*wake)()) {
  static bool started = false;
  if (started || wakePipe[0] < 0) return;
  try {
    std::thread([wake] {
      char byte = 0;
      while (read(wakePipe[0], &byte, 1) > 0 || errno == EINTR) wake();
    }).detach();
    started = true;
  } catch (const std::exception&) {
    // No thread to be had: a signal is heard at the next event instead.
  }
}

}  // namespace native

#include "platform/native/close_signals.h"

#include <csignal>

namespace native {
namespace {

volatile std::sig_atomic_t closeSignal = 0;

extern "C" void OnCloseSignal(int /*signal*/) {
  closeSignal = 1;
}

}  // namespace

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

bool TakeCloseSignal() {
  if (!closeSignal) return false;
  closeSignal = 0;
  return true;
}

}  // namespace native

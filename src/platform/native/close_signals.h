// SIGINT, SIGTERM and SIGHUP end the program as closing its window does, so
// the display mode is restored and the exit status is the program's own. The
// handler only sets a flag; the backend hands it to the core as a close
// request for the process, which the core turns into SC_CLOSE.
#pragma once

namespace native {

void InstallCloseSignals();
// Whether a signal came since the last call, clearing it.
bool TakeCloseSignal();
bool CloseSignalPending();
// Calls `wake` on a thread of its own after each signal, so that a program
// waiting on its window system hears of it at once. Started once.
void WakeOnCloseSignals(void (*wake)());

}  // namespace native

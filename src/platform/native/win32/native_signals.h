// SIGINT, SIGTERM and SIGHUP end the program as closing its window does, so
// the display mode is restored and the exit status is the program's own. The
// handler only sets a flag; the message pump turns it into a close request.
// Implemented in kernel32.cpp, beside the other process-level services.
#pragma once

namespace native {

void InstallCloseSignals();
bool CloseSignalPending();
void ClearCloseSignal();

}  // namespace native

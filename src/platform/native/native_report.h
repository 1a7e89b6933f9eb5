// Every error line of the native layer has one shape and comes from here:
//
//   plumo: <Win32 call>: <reason>
//
// A failure the platform itself causes (no display, no GL visual, no usable
// mode, no font, no memory) is said once on stderr, naming the call that
// failed, so a user is never left with a silent exit.
#pragma once

namespace native {

// Writes the line to stderr in one piece. The reason is printf-formatted.
void Report(const char* call, const char* reasonFormat, ...) __attribute__((format(printf, 2, 3)));

}  // namespace native

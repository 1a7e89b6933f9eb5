// Every error line of the layer has one shape and comes from here:
//
//   plumo: <Win32 call>: <reason>
//
// A failure the platform itself causes (no display, no GL visual, no usable
// mode, no font, no memory) is said once on stderr, naming the call that
// failed, so a user is never left with a silent exit. Lines that belong to
// no call (a bad option) drop the middle part.
#pragma once

namespace core {

// Writes the line in one piece, without allocating: it must come out whole
// when memory has run out, or from Xlib's handler for a lost display. The
// reason is printf-formatted.
void Report(const char* call, const char* reasonFormat, ...) __attribute__((format(printf, 2, 3)));
// "plumo: <text>".
void ReportLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The innermost entry point in progress on any thread, for failures noticed
// where the call is not known. Outside every call the layer's display
// connection is used only by the exit handlers, so that is ExitProcess.
const char* CallInProgress() noexcept;

}  // namespace core

// No C++ exception leaves an entry point of the native layer: its callers are
// C and Win32 code that cannot catch one. Every user32, gdi32 and WGL entry
// point, whether or not it can throw today, is a function-try-block that
// turns an exception (an allocation that failed, or one thrown by a window
// procedure it called) into the call's Win32 failure value and an error
// line, as Windows answers a call it has no memory for:
//
//   HWND WINAPI CreateWindowExA(...) try {
//     const native::EntryPoint entry(__func__);
//     ...
//   } catch (...) {
//     return native::Failed(__func__, HWND{});
//   }
//
// Whatever the call changed before the exception is undone by the call's own
// objects, so a failed call leaves things as they were.
#pragma once

namespace native {

// Names the call in progress for the errors that are noticed where the call
// is not known, such as the display connection lost inside Xlib.
class EntryPoint {
 public:
  explicit EntryPoint(const char* call) noexcept;
  ~EntryPoint();
  EntryPoint(const EntryPoint&) = delete;
  EntryPoint& operator=(const EntryPoint&) = delete;

 private:
  const char* outer_;  // the call this one was made from, as by DefWindowProcA
};

// The innermost call in progress. Outside every call the layer's display
// connection is used only by the exit handlers, so that is ExitProcess.
const char* CallInProgress() noexcept;

// Inside a catch handler only: reports the exception being handled as the
// failure of `call`.
void ReportException(const char* call) noexcept;

template <typename Result>
Result Failed(const char* call, Result failure) noexcept {
  ReportException(call);
  return failure;
}

}  // namespace native

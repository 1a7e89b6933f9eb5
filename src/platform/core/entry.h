// Every user32, gdi32 and WGL entry point begins with a Call and is a
// function-try-block, so that no C++ exception reaches its caller (C and
// Win32 code that cannot catch one): an allocation that failed, or an
// exception from a window procedure it called, becomes the call's Win32
// failure value and one error line, as Windows answers a call it has no
// memory for.
//
//   HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, ...) try {
//     const core::Call call(__func__, [&] { return core::Args{ExStyle(exStyle), Text(className)};
//     }); if (call.Fails()) return nullptr;
//     ...
//   } catch (...) {
//     return core::Failed(__func__, HWND{});
//   }
//
// The Call names the call in progress, for failures noticed where the call is
// not known (a display connection lost inside Xlib). Where a tracer is set (the
// test backend), it also records the call with its arguments and may have it
// fail without doing anything. The argument list is only built for a tracer.
#pragma once

#include <vector>

#include "platform/core/report.h"

namespace core {

// One argument as a trace shows it: its value and how to read it.
struct TraceArg {
  enum Kind {
    kInt,
    kHex,
    kFloat,
    kHandle,
    kText,  // a string, or a MAKEINTRESOURCE number
    kBool,
    kMessage,
    kWindowStyle,
    kExStyle,
    kSystemMetric,
    kShowCommand,
    kFontFormat,
    kPixelFormat,  // a PIXELFORMATDESCRIPTOR, shown field by field
  };
  Kind kind = kInt;
  long long integer = 0;
  double real = 0;
  const void* pointer = nullptr;
};

using Args = std::vector<TraceArg>;

inline TraceArg Int(long long value) {
  return {TraceArg::kInt, value, 0, nullptr};
}
inline TraceArg Hex(unsigned long long value) {
  return {TraceArg::kHex, static_cast<long long>(value), 0, nullptr};
}
inline TraceArg Float(double value) {
  return {TraceArg::kFloat, 0, value, nullptr};
}
inline TraceArg Handle(const void* handle) {
  return {TraceArg::kHandle, 0, 0, handle};
}
inline TraceArg Text(const char* text) {
  return {TraceArg::kText, 0, 0, text};
}
inline TraceArg Bool(long long value) {
  return {TraceArg::kBool, value, 0, nullptr};
}
inline TraceArg Named(TraceArg::Kind kind, long long value) {
  return {kind, value, 0, nullptr};
}

// Sees every entry point's call before it does anything; true makes it fail.
class Tracer {
 public:
  virtual ~Tracer() = default;
  virtual bool Enter(const char* call, const Args& args) = 0;
};

// Null (the default) for no tracing.
void SetTracer(Tracer* tracer);
Tracer* CurrentTracer();

class Call {
 public:
  explicit Call(const char* name) noexcept;
  template <typename MakeArgs>
  Call(const char* name, const MakeArgs& makeArgs) : Call(name) {
    if (Tracer* tracer = CurrentTracer()) fails_ = tracer->Enter(name, makeArgs());
  }
  ~Call();
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  // The tracer had this call fail: it returns its failure value at once.
  bool Fails() const { return fails_; }

 private:
  const char* outer_;  // the call this one was made from, as by DefWindowProcA
  bool fails_ = false;
};

// Inside a catch handler only: reports the exception being handled as the
// failure of `call`.
void ReportException(const char* call) noexcept;

template <typename Result>
Result Failed(const char* call, Result failure) noexcept {
  ReportException(call);
  return failure;
}

}  // namespace core

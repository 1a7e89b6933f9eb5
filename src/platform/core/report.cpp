#include "platform/core/report.h"

#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <new>

#include "platform/core/entry.h"

namespace core {
namespace {

// Read by Xlib's handler for a lost display, which may run on another thread.
std::atomic<const char*> callInProgress{nullptr};
Tracer* tracer = nullptr;

__attribute__((format(printf, 2, 0))) void WriteFormatted(const char* prefix, const char* format,
                                                          va_list arguments) {
  char line[512];
  const int written = std::snprintf(line, sizeof line, "%s", prefix);
  size_t length = written > 0 ? static_cast<size_t>(written) : 0;
  if (length < sizeof line) {
    const int more = std::vsnprintf(line + length, sizeof line - length, format, arguments);
    if (more > 0) length += static_cast<size_t>(more);
  }
  if (length > sizeof line - 2) length = sizeof line - 2;  // a cut reason still ends its line
  line[length++] = '\n';
  if (write(STDERR_FILENO, line, length) < 0) {
    // Nothing more can be said.
  }
}

}  // namespace

void Report(const char* call, const char* reasonFormat, ...) {
  char prefix[128];
  std::snprintf(prefix, sizeof prefix, "plumo: %s: ", call ? call : "?");
  va_list reason;
  va_start(reason, reasonFormat);
  WriteFormatted(prefix, reasonFormat, reason);
  va_end(reason);
}

void ReportLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  WriteFormatted("plumo: ", format, arguments);
  va_end(arguments);
}

const char* CallInProgress() noexcept {
  const char* call = callInProgress.load(std::memory_order_relaxed);
  return call ? call : "ExitProcess";
}

void SetTracer(Tracer* newTracer) {
  tracer = newTracer;
}

Tracer* CurrentTracer() {
  return tracer;
}

Call::Call(const char* name) noexcept
    : outer_(callInProgress.exchange(name, std::memory_order_relaxed)) {}

Call::~Call() {
  callInProgress.store(outer_, std::memory_order_relaxed);
}

void ReportException(const char* call) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    Report(call, "out of memory");
  } catch (const std::exception& exception) {
    Report(call, "%s", exception.what());
  } catch (...) {
    Report(call, "an exception from the program's own code");
  }
}

}  // namespace core

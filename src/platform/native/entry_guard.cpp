#include "platform/native/entry_guard.h"

#include <atomic>
#include <exception>
#include <new>

#include "platform/native/native_report.h"

namespace native {
namespace {

// Read by Xlib's handler for a lost display, which may run on the GL
// warm-up's thread.
std::atomic<const char*> callInProgress{nullptr};

}  // namespace

EntryPoint::EntryPoint(const char* call) noexcept
    : outer_(callInProgress.exchange(call, std::memory_order_relaxed)) {}

EntryPoint::~EntryPoint() {
  callInProgress.store(outer_, std::memory_order_relaxed);
}

const char* CallInProgress() noexcept {
  const char* call = callInProgress.load(std::memory_order_relaxed);
  return call ? call : "ExitProcess";
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

}  // namespace native

#include "failing_new.h"

#include <new>

namespace {

int countdown = 0;

bool ShouldFail() {
  return countdown > 0 && --countdown == 0;
}

}  // namespace

namespace fake {

void FailNothrowAllocation(int nth) {
  countdown = nth;
}
void ResetAllocationFailures() {
  countdown = 0;
}

}  // namespace fake

// The replacements forward to the ordinary operators, so deletes match and
// the sanitizers still see every block.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (ShouldFail()) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (ShouldFail()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

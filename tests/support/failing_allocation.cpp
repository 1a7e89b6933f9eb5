#include "failing_allocation.h"

#include <dlfcn.h>

#include <atomic>
#include <new>

namespace {

std::atomic<long> allocations{0};
thread_local int countdown = 0;

// The program's own code, as the GNU linkers bound it: the layer and the
// tests. System libraries (Mesa's LLVM among them) are not made to fail; they
// do not all survive it.
extern "C" const char __executable_start;
extern "C" const char etext;

bool ShouldFail(const void* caller) {
  const auto* code = static_cast<const char*>(caller);
  return countdown > 0 && code >= &__executable_start && code < &etext && --countdown == 0;
}

// The operators new these stand in front of: the sanitizer runtime's in a
// sanitizer build, the C++ library's otherwise. Their blocks go to the same
// runtime's operators delete, which stay as they are, so every block is
// freed by its own kind of delete (LLVM inside Mesa frees nothrow blocks with
// the plain one) and the sanitizers still pair them.
template <typename Operator>
Operator Next(const char* name) {
  return reinterpret_cast<Operator>(dlsym(RTLD_NEXT, name));
}

}  // namespace

namespace failing_allocation {

long Count() {
  return allocations.load(std::memory_order_relaxed);
}

void FailNth(int nth) {
  countdown = nth;
}

bool Disarm() {
  const bool pending = countdown > 0;
  countdown = 0;
  return pending;
}

}  // namespace failing_allocation

void* operator new(std::size_t size) {
  static const auto next = Next<void* (*)(std::size_t)>("_Znwm");
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (ShouldFail(__builtin_return_address(0))) throw std::bad_alloc();
  return next(size);
}

void* operator new(std::size_t size, const std::nothrow_t& nothrow) noexcept {
  static const auto next =
      Next<void* (*)(std::size_t, const std::nothrow_t&) noexcept>("_ZnwmRKSt9nothrow_t");
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (ShouldFail(__builtin_return_address(0))) return nullptr;
  return next(size, nothrow);
}

void* operator new[](std::size_t size) {
  static const auto next = Next<void* (*)(std::size_t)>("_Znam");
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (ShouldFail(__builtin_return_address(0))) throw std::bad_alloc();
  return next(size);
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
  static const auto next =
      Next<void* (*)(std::size_t, const std::nothrow_t&) noexcept>("_ZnamRKSt9nothrow_t");
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (ShouldFail(__builtin_return_address(0))) return nullptr;
  return next(size, nothrow);
}

// Counts the program's allocations, and makes the native layer's fail on
// demand to reach the paths where an entry point runs out of memory: the nth
// `operator new` from now that the program's own code makes on the calling
// thread throws std::bad_alloc. (The fake's `failing_new.h` does the same for
// the demo's non-throwing allocations.)
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace failing_allocation {

// Every `operator new` so far, on any thread.
long Count();

// 1: the next one. System libraries and other threads allocate as usual.
void FailNth(int nth);
// Whether the failure asked for has not happened yet; clears it either way.
bool Disarm();

// Fails the 1st, 2nd, ... allocation of `call` in turn, until a run of it
// makes no more allocations than that. Each run that fails must give
// `failure`, leave things as `unchanged` finds them (when given), and say so
// in one line: "plumo: <name>: out of memory". A run that succeeds in spite
// of the failure is undone by `undo`. Returns how many runs failed.
template <typename Result>
int FailEachAllocation(const char* name, Result failure, const std::function<Result()>& call,
                       const std::function<bool()>& unchanged,
                       const std::function<void(Result)>& undo) {
  int failed = 0;
  for (int nth = 1; nth < 1000; ++nth) {
    ::testing::internal::CaptureStderr();
    FailNth(nth);
    const Result result = call();
    const bool reached = !Disarm();
    const std::string said = ::testing::internal::GetCapturedStderr();
    if (result != failure) {
      undo(result);
      if (!reached) return failed;  // every allocation of the call has failed once
      continue;                     // the call got by without that allocation
    }
    EXPECT_TRUE(reached) << name << " failed without running out of memory: " << said;
    if (unchanged) {
      EXPECT_TRUE(unchanged()) << name << " left things changed when allocation " << nth
                               << " failed";
    }
    if (said.find("out of memory") != std::string::npos) {
      EXPECT_EQ(said, std::string("plumo: ") + name + ": out of memory\n");
      ++failed;
    }
  }
  ADD_FAILURE() << name << " never got past its allocations";
  return failed;
}

}  // namespace failing_allocation

// The one-line stderr report of a failure the platform itself causes (no
// display, no usable mode), naming the Win32 call and the reason.
#pragma once

#include <cstdio>

namespace native {

inline void Report(const char* call, const char* reason) {
  std::fprintf(stderr, "plumo: %s: %s\n", call, reason);
}

}  // namespace native

// Process CPU time on Windows (and under Wine, where it comes from the host's
// accounting of the whole process, in scheduler ticks).
#include "cpu_time.h"
#include "platform/platform.h"

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return static_cast<double>(ticks.QuadPart) * 1e-7;  // 100 ns units
}

}  // namespace

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  return Seconds(kernel) + Seconds(user);
}

double ProcessCpuSecondsOf(int) {
  return -1.0;  // only the Linux programs are measured with their X server
}

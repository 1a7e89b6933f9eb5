// Process CPU time on Linux: every thread, so Mesa's rasteriser threads count.
#include <dirent.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "cpu_time.h"

double ProcessCpuSeconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

// The scheduler's nanoseconds on a CPU, summed over the process's threads:
// /proc/PID/stat counts in clock ticks, too coarse for a few hundred frames.
double ProcessCpuSecondsOf(int pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return -1.0;
  double seconds = 0.0;
  bool read = false;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    FILE* file = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r");
    if (!file) continue;
    unsigned long long nanoseconds = 0;
    if (std::fscanf(file, "%llu", &nanoseconds) == 1) {
      seconds += static_cast<double>(nanoseconds) * 1e-9;
      read = true;
    }
    std::fclose(file);
  }
  closedir(dir);
  return read ? seconds : -1.0;
}

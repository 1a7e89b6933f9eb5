// Runs a program with the start of its run stamped in its environment:
// PLUMO_START_NS is CLOCK_MONOTONIC taken right before execvp, so that
// swap_probe's line measures start-up from the exec on, and nothing of the
// driver's own process creation.
//
//   exec_stamp PROGRAM [ARGS...]
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: exec_stamp PROGRAM [ARGS...]\n");
    return 2;
  }
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  char stamp[32];
  snprintf(stamp, sizeof stamp, "%lld", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
  setenv("PLUMO_START_NS", stamp, 1);
  execvp(argv[1], argv + 1);
  perror("exec_stamp: execvp");
  return 127;
}

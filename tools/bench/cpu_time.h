// CPU time the whole process has used so far (all threads, user and kernel),
// in seconds. One implementation per system, chosen by CMake.
#pragma once

double ProcessCpuSeconds();
// The same for another process (an X server), or -1 where it cannot be read.
double ProcessCpuSecondsOf(int pid);

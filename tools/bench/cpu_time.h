// CPU time the whole process has used so far (all threads, user and kernel),
// in seconds. One implementation per system, chosen by CMake.
#pragma once

double ProcessCpuSeconds();

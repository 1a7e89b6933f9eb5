// Marks around the code a profiler should count. Under callgrind (started
// with --collect-atstart=no) each Begin/End pair is counted and End writes a
// dump named after the part; elsewhere they cost nothing.
#pragma once

void ProfileBegin();
void ProfileEnd(const char* part);

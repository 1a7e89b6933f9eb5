// The marks as callgrind client requests; outside valgrind they are a few
// no-op instructions.
#include <valgrind/callgrind.h>

#include "profile_marks.h"

void ProfileBegin() {
  CALLGRIND_TOGGLE_COLLECT;
}

void ProfileEnd(const char* part) {
  CALLGRIND_TOGGLE_COLLECT;
  CALLGRIND_DUMP_STATS_AT(part);
}

// Makes the program's non-throwing allocations fail on demand, to reach the
// paths where the scene, its window or its mesh cannot be allocated.
#pragma once

namespace fake {

// The nth `new (std::nothrow)` from now returns null (1: the next one).
void FailNothrowAllocation(int nth);
// Forgets any pending failure.
void ResetAllocationFailures();

}  // namespace fake

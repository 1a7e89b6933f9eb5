// Runs a batch whose items are prepared anywhere but must be finished one
// after another on the calling thread, as display lists must be compiled in
// the thread whose GL context is current. Helper threads prepare items ahead
// while the caller finishes them in order; when the caller would otherwise
// wait, it prepares the next unclaimed item itself.
#pragma once

#include <cstddef>
#include <functional>

namespace native::fonts {

// `prepare(item, worker)` may run on any of `1 + helpers` threads at once;
// `worker` tells them apart (0 is the caller) so that each can keep its own
// scratch state. `finish(item)` runs on the calling thread for items 0, 1, ...
// in order. The batch stops at the first item whose prepare or finish fails:
// no later item is finished, and the result is false.
using PrepareItem = std::function<bool(size_t item, size_t worker)>;
using FinishItem = std::function<bool(size_t item)>;
bool RunInOrder(size_t count, size_t helpers, const PrepareItem& prepare, const FinishItem& finish);

// Helper threads worth starting for CPU-bound work next to the caller: one
// fewer than the cores the process can keep busy (UsableCores), at most
// `limit`.
size_t SpareCores(size_t limit);

// The cores this process can keep busy at once: those its affinity mask
// allows, fewer under a cgroup CPU quota (a container's or a service's CPU
// limit), at least one. The machine's own count can be far more: helpers
// beyond these only take turns on the same cores.
size_t UsableCores();

// The same from what was read: the affinity mask's cores, and the quota's
// microseconds per period (quota 0 or less: no quota).
size_t UsableCores(long affinityCores, long quota, long period);

}  // namespace native::fonts

#include "platform/native/fonts/ordered_work.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace native::fonts {
namespace {

enum State : unsigned char { kPending, kPrepared, kFailed };

// An item that throws (out of memory, say) fails like one that returns false;
// nothing may escape a helper thread or leave the helpers unjoined.
template <typename Step>
bool Guarded(const Step& step) {
  try {
    return step();
  } catch (...) {
    return false;
  }
}

class Batch {
 public:
  Batch(size_t count, const PrepareItem& prepare)
      : count_(count), prepare_(prepare), states_(new std::atomic<unsigned char>[count]) {
    for (size_t i = 0; i < count; ++i) states_[i].store(kPending, std::memory_order_relaxed);
  }

  // Claims and prepares the next unclaimed item; false when none is left.
  bool PrepareNext(size_t worker) {
    if (stopped_.load(std::memory_order_relaxed)) return false;
    const size_t item = next_.fetch_add(1, std::memory_order_relaxed);
    if (item >= count_) return false;
    const bool ok = Guarded([&] { return prepare_(item, worker); });
    states_[item].store(ok ? kPrepared : kFailed, std::memory_order_release);
    if (!ok) stopped_.store(true, std::memory_order_relaxed);
    // Taking the lock orders the store before a waiter's check, so the
    // wake-up cannot slip between its check and its wait.
    { std::lock_guard<std::mutex> lock(mutex_); }
    ready_.notify_all();
    return true;
  }

  void HelpUntilDone(size_t worker) {
    while (PrepareNext(worker)) {
    }
  }

  // The item's outcome; prepares other items, or waits, until it is known.
  State Await(size_t item) {
    for (;;) {
      const State state = Peek(item);
      if (state != kPending) return state;
      if (!PrepareNext(0)) break;
    }
    // Every item is claimed and this one is still being prepared elsewhere.
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return Peek(item) != kPending; });
    return Peek(item);
  }

  void Stop() { stopped_.store(true, std::memory_order_relaxed); }

 private:
  State Peek(size_t item) const {
    return static_cast<State>(states_[item].load(std::memory_order_acquire));
  }

  const size_t count_;
  const PrepareItem& prepare_;
  std::unique_ptr<std::atomic<unsigned char>[]> states_;
  std::atomic<size_t> next_{0};
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;
  std::condition_variable ready_;
};

}  // namespace

bool RunInOrder(size_t count, size_t helpers, const PrepareItem& prepare,
                const FinishItem& finish) {
  Batch batch(count, prepare);
  std::vector<std::thread> threads;
  for (size_t worker = 1; worker <= std::min(helpers, count); ++worker) {
    try {
      threads.emplace_back([&batch, worker] { batch.HelpUntilDone(worker); });
    } catch (const std::exception&) {
      break;  // no more threads to be had: the caller does the rest itself
    }
  }

  bool ok = true;
  for (size_t item = 0; item < count && ok; ++item)
    ok = batch.Await(item) == kPrepared && Guarded([&] { return finish(item); });
  if (!ok) batch.Stop();
  // A helper still preparing an item after a failure finishes that one item.
  for (std::thread& thread : threads) thread.join();
  return ok;
}

namespace {

// The tightest CPU quota on the way from the process's cgroup to the root,
// as quota and period in microseconds; false where none is set or readable.
// cgroup v2 keeps both in cpu.max ("max 100000" when unlimited), v1 in the cpu
// controller's cpu.cfs_quota_us (-1 when unlimited) and cpu.cfs_period_us.
bool TightestQuota(long* quota, long* period) {
  std::ifstream membership("/proc/self/cgroup");
  std::string line;
  bool found = false;
  double tightest = 0;
  auto consider = [&](long q, long p) {
    if (q <= 0 || p <= 0) return;
    const double cores = static_cast<double>(q) / static_cast<double>(p);
    if (!found || cores < tightest) {
      tightest = cores;
      *quota = q;
      *period = p;
      found = true;
    }
  };
  while (std::getline(membership, line)) {
    // "0::/path" (v2), "N:cpu,cpuacct:/path" or "N:cpu:/path" (v1)
    const size_t first = line.find(':');
    const size_t second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const bool v2 = controllers.empty();
    const bool v1 = (',' + controllers + ',').find(",cpu,") != std::string::npos;
    if (!v1 && !v2) continue;
    std::string path = line.substr(second + 1);
    for (;;) {
      const std::string base = v2 ? "/sys/fs/cgroup" + path : "/sys/fs/cgroup/cpu" + path;
      if (v2) {
        std::ifstream max(base + "/cpu.max");
        std::string q;
        long p = 0;
        if (max >> q >> p && q != "max") consider(std::atol(q.c_str()), p);
      } else {
        std::ifstream q(base + "/cpu.cfs_quota_us");
        std::ifstream p(base + "/cpu.cfs_period_us");
        long quotaUs = 0;
        long periodUs = 0;
        if (q >> quotaUs && p >> periodUs) consider(quotaUs, periodUs);
      }
      if (path.empty() || path == "/") break;
      path = path.substr(0, path.rfind('/'));
    }
  }
  return found;
}

}  // namespace

size_t UsableCores(long affinityCores, long quota, long period) {
  long cores = std::max(affinityCores, 1L);
  if (quota > 0 && period > 0) cores = std::min(cores, std::max(quota / period, 1L));
  return static_cast<size_t>(cores);
}

size_t UsableCores() {
  cpu_set_t mask;
  CPU_ZERO(&mask);
  const long affinity = sched_getaffinity(0, sizeof mask, &mask) == 0
                            ? CPU_COUNT(&mask)
                            : static_cast<long>(std::thread::hardware_concurrency());
  long quota = 0;
  long period = 0;
  if (!TightestQuota(&quota, &period)) quota = period = 0;
  return UsableCores(affinity, quota, period);
}

size_t SpareCores(size_t limit) {
  return std::min(UsableCores() - 1, limit);
}

}  // namespace native::fonts

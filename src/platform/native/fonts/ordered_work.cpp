#include "platform/native/fonts/ordered_work.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace native {
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

size_t SpareCores(size_t limit) {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 1 ? std::min<size_t>(cores - 1, limit) : 0;
}

}  // namespace native

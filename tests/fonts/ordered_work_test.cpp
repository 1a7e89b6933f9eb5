// The runner that spreads glyph preparation over helper threads: items are
// finished in order on the calling thread, each after its own preparation,
// and a failure anywhere stops the batch without finishing anything later.
#include "platform/native/fonts/ordered_work.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using native::fonts::RunInOrder;

// Records who prepared and finished what.
struct Log {
  explicit Log(size_t count) : prepared(count) {}

  std::vector<std::atomic<bool>> prepared;
  std::vector<size_t> finished;
  std::mutex mutex;
  std::map<size_t, std::thread::id> workerThreads;
  bool workerSharedAThread = false;
  bool finishedUnprepared = false;
  bool finishedOffTheCaller = false;

  void Prepared(size_t item, size_t worker) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      auto [entry, added] = workerThreads.emplace(worker, std::this_thread::get_id());
      if (!added && entry->second != std::this_thread::get_id()) workerSharedAThread = true;
    }
    // Uneven work, so that helpers finish out of order.
    if (item % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    prepared[item] = true;
  }

  void Finished(size_t item, std::thread::id caller) {
    finishedUnprepared |= !prepared[item];
    finishedOffTheCaller |= std::this_thread::get_id() != caller;
    finished.push_back(item);
  }
};

std::vector<size_t> UpTo(size_t end) {
  std::vector<size_t> items;
  for (size_t i = 0; i < end; ++i) items.push_back(i);
  return items;
}

TEST(RunInOrder, FinishesEveryItemInOrderOnTheCallingThreadAfterItsPreparation) {
  for (size_t helpers : {0, 1, 3}) {
    const size_t count = 300;
    Log log(count);
    const auto caller = std::this_thread::get_id();
    const bool ok = RunInOrder(
        count, helpers,
        [&](size_t item, size_t worker) {
          log.Prepared(item, worker);
          return true;
        },
        [&](size_t item) {
          log.Finished(item, caller);
          return true;
        });
    EXPECT_TRUE(ok) << helpers;
    EXPECT_EQ(log.finished, UpTo(count)) << helpers;
    EXPECT_FALSE(log.finishedUnprepared) << helpers;
    EXPECT_FALSE(log.finishedOffTheCaller) << helpers;
    // Worker numbers tell threads apart, so per-worker scratch is never shared.
    EXPECT_FALSE(log.workerSharedAThread) << helpers;
    for (const auto& [worker, thread] : log.workerThreads) {
      EXPECT_LE(worker, helpers);
      EXPECT_EQ(worker == 0, thread == caller) << worker;
    }
  }
}

TEST(RunInOrder, AFailedPreparationStopsTheBatchBeforeThatItem) {
  for (size_t helpers : {0, 2}) {
    const size_t count = 200, failing = 57;
    Log log(count);
    std::atomic<size_t> preparedAfterStop{0};
    std::atomic<bool> failed{false};
    const bool ok = RunInOrder(
        count, helpers,
        [&](size_t item, size_t worker) {
          if (failed) ++preparedAfterStop;
          log.Prepared(item, worker);
          if (item == failing) failed = true;
          return item != failing;
        },
        [&](size_t item) {
          log.Finished(item, std::this_thread::get_id());
          return true;
        });
    EXPECT_FALSE(ok) << helpers;
    EXPECT_EQ(log.finished, UpTo(failing)) << helpers;
    // Each thread may be in the middle of one more item when the failure lands.
    EXPECT_LE(preparedAfterStop.load(), helpers + 1) << helpers;
  }
}

TEST(RunInOrder, AFailedFinishStopsTheBatchThere) {
  Log log(100);
  std::vector<size_t> attempted;
  const bool ok = RunInOrder(
      100, 2, [&](size_t item, size_t worker) { return log.Prepared(item, worker), true; },
      [&](size_t item) {
        attempted.push_back(item);
        return item != 10;
      });
  EXPECT_FALSE(ok);
  EXPECT_EQ(attempted, UpTo(11));
}

TEST(RunInOrder, AnExceptionFailsTheItemInsteadOfEscapingAThread) {
  // Thrown on a helper the exception would end the process; on the caller it
  // would leave the helpers unjoined.
  for (bool inPrepare : {true, false}) {
    std::vector<size_t> finished;
    const bool ok = RunInOrder(
        64, 2,
        [&](size_t item, size_t) {
          if (inPrepare && item == 20) throw std::runtime_error("prepare");
          return true;
        },
        [&](size_t item) {
          if (!inPrepare && item == 20) throw std::bad_alloc();
          finished.push_back(item);
          return true;
        });
    EXPECT_FALSE(ok) << inPrepare;
    EXPECT_EQ(finished, UpTo(20)) << inPrepare;
  }
}

TEST(RunInOrder, AnEmptyBatchCallsNothingAndSucceeds) {
  bool called = false;
  EXPECT_TRUE(RunInOrder(
      0, 3, [&](size_t, size_t) { return called = true; }, [&](size_t) { return called = true; }));
  EXPECT_FALSE(called);
}

// Helpers are counted from the cores the process may run on, not the
// machine's: on a machine of many cores held to a few (an affinity mask, a
// container's CPU limit) more helpers would only take turns.
TEST(UsableCores, AreTheAffinityMasksCoresWithinTheQuota) {
  EXPECT_EQ(native::fonts::UsableCores(4, 0, 0), 4u) << "no quota";
  EXPECT_EQ(native::fonts::UsableCores(4, -1, 100000), 4u) << "cgroup v1's unlimited";
  EXPECT_EQ(native::fonts::UsableCores(16, 200000, 100000), 2u) << "two cores' worth";
  EXPECT_EQ(native::fonts::UsableCores(16, 150000, 100000), 1u) << "a core and a half";
  EXPECT_EQ(native::fonts::UsableCores(16, 50000, 100000), 1u) << "half a core";
  EXPECT_EQ(native::fonts::UsableCores(2, 800000, 100000), 2u) << "a quota above the mask";
  EXPECT_EQ(native::fonts::UsableCores(0, 0, 0), 1u) << "always the caller's own";
}

TEST(UsableCores, AThreadHeldToOneCoreStartsNoHelpers) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  const size_t helpers = native::fonts::SpareCores(3);
  const size_t usable = native::fonts::UsableCores();
  ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(helpers, 0u);
  EXPECT_EQ(usable, 1u);
}

}  // namespace

#include "base/work_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <new>
#include <thread>
#include <vector>

TEST(WorkPool, EveryIndexIsWorkedOnceWhateverTheWorkers) {
  for (const std::size_t workers : {1u, 2u, 7u}) {
    for (const std::size_t count : {0u, 1u, 3u, 100u}) {
      std::vector<std::atomic<int>> seen(count);
      runOnWorkers(workers, count, [&](std::size_t worker, std::size_t i) {
        EXPECT_LT(worker, workers);
        seen[i].fetch_add(1);
      });
      for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(1, seen[i].load()) << workers << " " << i;
    }
  }
}

TEST(WorkPool, PreparedItemsAreConsumedInOrderAfterTheirPreparing) {
  for (const auto caller : {CallerPrepares::kNextOnly, CallerPrepares::kWhileWaiting}) {
    for (const std::size_t workers : {1u, 2u, 7u}) {
      for (const std::size_t ahead : {1u, 4u}) {
        constexpr std::size_t kCount = 200;
        std::vector<std::size_t> prepared(kCount, 0);
        std::vector<std::size_t> consumed;
        std::atomic<std::size_t> waiting{0};
        prepareAhead(
            workers, kCount, ahead,
            [&](std::size_t, std::size_t i) {
              prepared[i] = i + 1;
              // Never more than ahead items prepared and not yet consumed.
              EXPECT_LE(waiting.fetch_add(1) + 1, ahead);
            },
            [&](std::size_t i) {
              EXPECT_EQ(i + 1, prepared[i]);
              waiting.fetch_sub(1);
              consumed.push_back(i);
            },
            caller);
        ASSERT_EQ(kCount, consumed.size());
        for (std::size_t i = 0; i < kCount; ++i) EXPECT_EQ(i, consumed[i]);
      }
    }
  }
}

// A call that throws (out of memory, say) stops the work: the exception
// reaches the calling thread after every thread has stopped, and the rest is
// not worked on. Thrown at each place: a worker, a preparing helper or the
// calling thread, and the consumer.
TEST(WorkPool, AnExceptionStopsTheWorkAndReachesTheCaller) {
  constexpr std::size_t kCount = 10000;
  constexpr std::size_t kThrowAt = 50;
  for (const std::size_t workers : {1u, 2u, 7u}) {
    // Calls past the throwing one take a millisecond each, so that the other
    // workers cannot finish them all while the throwing thread waits for a
    // core: stopping has seconds to take effect.
    std::atomic<std::size_t> worked{0};
    EXPECT_THROW(runOnWorkers(workers, kCount,
                              [&](std::size_t, std::size_t i) {
                                if (i == kThrowAt) throw std::bad_alloc();
                                if (i > kThrowAt) {
                                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                }
                                worked.fetch_add(1);
                              }),
                 std::bad_alloc);
    EXPECT_LT(worked.load(), kCount - 1) << workers;

    // Consuming stops at the item that throws. Preparing an item starts
    // only once the item `ahead` places before it is consumed, and the items
    // between may or may not be consumed before the stop.
    constexpr std::size_t kAhead = 4;
    for (const bool inPrepare : {true, false}) {
      for (const auto caller : {CallerPrepares::kNextOnly, CallerPrepares::kWhileWaiting}) {
        std::size_t consumed = 0;
        EXPECT_THROW(prepareAhead(
                         workers, kCount, kAhead,
                         [&](std::size_t, std::size_t i) {
                           if (inPrepare && i == kThrowAt) throw std::bad_alloc();
                         },
                         [&](std::size_t i) {
                           if (!inPrepare && i == kThrowAt) throw std::bad_alloc();
                           ++consumed;
                         },
                         caller),
                     std::bad_alloc);
        const std::size_t least = inPrepare ? kThrowAt + 1 - kAhead : kThrowAt;
        EXPECT_TRUE(consumed >= least && consumed <= kThrowAt)
            << consumed << " consumed, " << workers << (inPrepare ? " prepare" : " consume");
      }
    }
  }
}

TEST(TaskLane, RunsTasksInOrderOffTheCallingThread) {
  TTaskLane lane;
  std::vector<int> ran;  // written by the lane only, read after finish()
  std::atomic<bool> onCaller{false};
  const auto caller = std::this_thread::get_id();
  for (int i = 0; i < 100; ++i) {
    lane.hand([&, i] {
      if (std::this_thread::get_id() == caller) onCaller = true;
      ran.push_back(i);
    });
  }
  lane.finish();
  ASSERT_EQ(100u, ran.size());
  for (int i = 0; i < 100; ++i) EXPECT_EQ(i, ran[static_cast<std::size_t>(i)]);
  EXPECT_FALSE(onCaller.load());
  // The lane goes on taking tasks after finish().
  lane.hand([&] { ran.push_back(100); });
  lane.finish();
  EXPECT_EQ(101u, ran.size());
}

TEST(TaskLane, AFailingTaskDropsTheRestAndReachesFinish) {
  TTaskLane lane;
  std::atomic<int> ran{0};
  lane.hand([&] { ++ran; });
  lane.hand([] { throw std::bad_alloc(); });
  for (int i = 0; i < 10; ++i) lane.hand([&] { ++ran; });
  EXPECT_THROW(lane.finish(), std::bad_alloc);
  EXPECT_THROW(lane.finish(), std::bad_alloc);
  EXPECT_EQ(1, ran.load());
}

TEST(TaskLane, GoingDropsWhatWaits) {
  std::atomic<int> ran{0};
  {
    TTaskLane lane;
    lane.hand([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ++ran;
    });
    for (int i = 0; i < 10; ++i) lane.hand([&] { ++ran; });
  }
  // The task running when the lane goes ends (if it had started at all);
  // none of those waiting runs, then or later.
  const int atEnd = ran.load();
  EXPECT_LE(atEnd, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(atEnd, ran.load());
}

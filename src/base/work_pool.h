#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The number of cores the process may run on, at least 1.
std::size_t usableCores();

// A thread of its own that runs the tasks handed to it one at a time, in the
// order they came, while the caller goes on. Once a task throws, the tasks
// after it are dropped, and finish() throws that exception again. Whatever
// is still waiting when the lane goes is dropped too.
class TTaskLane {
 public:
  TTaskLane();
  ~TTaskLane();
  TTaskLane(const TTaskLane&) = delete;
  TTaskLane& operator=(const TTaskLane&) = delete;

  void hand(std::function<void()> task);
  // Returns once every task handed in has run.
  void finish();

 private:
  void loop(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<std::function<void()>> tasks_;
  bool running_ = false;
  std::exception_ptr failure_;
  std::jthread thread_;
};

// Calls work(worker, i) once for every i below count, on `workers` threads
// at most: the calling thread is worker 0, the others are started for the
// call and joined before it returns. Indices are handed out in increasing
// order; a worker number identifies the thread's own scratch state. Should
// any call throw, no further index is handed out and, once every thread has
// stopped, the first exception is thrown again on the calling thread.
template <typename Work>
void runOnWorkers(std::size_t workers, std::size_t count, Work&& work) {
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::exception_ptr failure;
  const auto loop = [&](std::size_t worker) {
    try {
      for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < count;) {
        work(worker, i);
      }
    } catch (...) {
      next.store(count, std::memory_order_relaxed);
      const std::lock_guard lock(mutex);
      if (!failure) failure = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> threads;
    if (workers > count) workers = count;
    for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(loop, w);
    loop(0);
  }
  if (failure) std::rethrow_exception(failure);
}

// Calls prepare(worker, i) for every i below count on up to `workers`
// threads and consume(i) on the calling thread in increasing order of i,
// each once prepare(worker, i) has returned. Preparing runs at most `ahead`
// indices past the last one consumed, so that at most that many prepared
// items wait at a time. The calling thread prepares too (as worker 0): with
// CallerPrepares::kNextOnly only the next index to consume, when no helper
// has taken it, which keeps it free for consuming when that is the longer
// work; with CallerPrepares::kWhileWaiting any index it may take whenever the
// next item is not ready, which suits cheap consuming. Should a call throw,
// everything stops and the first exception is thrown again on the calling
// thread once every thread has stopped.
enum class CallerPrepares { kNextOnly, kWhileWaiting };

template <typename Prepare, typename Consume>
void prepareAhead(std::size_t workers, std::size_t count, std::size_t ahead, Prepare&& prepare,
                  Consume&& consume, CallerPrepares callerPrepares = CallerPrepares::kNextOnly) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<char> ready(count, 0);
  std::size_t taken = 0;
  std::size_t consumed = 0;
  std::exception_ptr failure;
  // Called with the lock held.
  const auto fail = [&](std::exception_ptr error) {
    if (!failure) failure = std::move(error);
    taken = count;
    changed.notify_all();
  };
  // A helper that finds the window full waits until a part of it is free
  // again, then prepares that many in a row: it is woken once per run of
  // items rather than for each item consumed.
  const std::size_t refill = ahead > 1 ? ahead / 2 : 1;
  const auto roomFor = [&](std::size_t items) { return taken + items <= consumed + ahead; };
  const auto helper = [&](std::size_t worker) {
    std::unique_lock lock(mutex);
    for (;;) {
      if (taken < count && !roomFor(1)) {
        changed.wait(lock, [&] { return taken >= count || roomFor(refill); });
      }
      if (taken >= count) return;
      const std::size_t i = taken++;
      lock.unlock();
      std::exception_ptr error;
      try {
        prepare(worker, i);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      if (error) {
        fail(std::move(error));
        return;
      }
      ready[i] = 1;
      changed.notify_all();
    }
  };
  {
    std::vector<std::jthread> threads;
    for (std::size_t w = 1; w < workers && w < count; ++w) threads.emplace_back(helper, w);
    try {
      for (std::size_t i = 0; i < count; ++i) {
        std::unique_lock lock(mutex);
        const auto mayTake = [&] {
          if (callerPrepares == CallerPrepares::kNextOnly) return taken == i;
          return ready[i] == 0 && taken < count && taken < consumed + ahead;
        };
        while (!failure && mayTake()) {
          const std::size_t j = taken++;
          lock.unlock();
          prepare(0, j);
          lock.lock();
          ready[j] = 1;
        }
        changed.wait(lock, [&] { return ready[i] != 0 || failure; });
        if (failure) break;
        lock.unlock();
        consume(i);
        lock.lock();
        consumed = i + 1;
        if (roomFor(refill)) changed.notify_all();
      }
    } catch (...) {
      const std::lock_guard lock(mutex);
      fail(std::current_exception());
    }
  }
  if (failure) std::rethrow_exception(failure);
}

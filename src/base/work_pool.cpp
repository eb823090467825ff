#include "base/work_pool.h"

#include <sched.h>

std::size_t usableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<std::size_t>(count);
  }
  const unsigned count = std::thread::hardware_concurrency();
  return count > 0 ? count : 1;
}

TTaskLane::TTaskLane() : thread_([this](std::stop_token stop) { loop(stop); }) {}

TTaskLane::~TTaskLane() {
  thread_.request_stop();
  thread_.join();
}

void TTaskLane::hand(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    if (failure_) return;
    tasks_.push_back(std::move(task));
  }
  changed_.notify_all();
}

void TTaskLane::finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return (tasks_.empty() && !running_) || failure_; });
  if (failure_) std::rethrow_exception(failure_);
}

void TTaskLane::loop(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (!changed_.wait(lock, stop, [&] { return !tasks_.empty(); }) || stop.stop_requested()) {
      return;
    }
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    running_ = true;
    lock.unlock();
    std::exception_ptr thrown;
    try {
      task();
    } catch (...) {
      thrown = std::current_exception();
    }
    // The task goes before the lock is taken again: what it held is freed
    // on this thread.
    task = nullptr;
    lock.lock();
    running_ = false;
    if (thrown) {
      failure_ = thrown;
      tasks_.clear();
    }
    changed_.notify_all();
    if (failure_) return;
  }
}

#include "run/WorkerPool.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace sifta {

WorkerPool::WorkerPool(unsigned workers) : size_(std::min(workers, kMostCutWorkers)) {}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> held(lock_);
    stop_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::Run(std::function<void(unsigned)> task) {
  if (threads_.empty()) {
    try {
      for (unsigned worker = 0; worker < size_; ++worker)
        threads_.emplace_back([this, worker] { Work(worker); });
    } catch (const std::system_error&) {
      // Fewer threads than asked for, or none: the caller does the work.
    }
    if (threads_.empty()) {
      task(0);
      return;
    }
  }
  {
    std::lock_guard<std::mutex> held(lock_);
    tasks_.push_back(std::move(task));
  }
  work_.notify_one();
}

void WorkerPool::Work(unsigned worker) {
  std::unique_lock<std::mutex> held(lock_);
  for (;;) {
    work_.wait(held, [this] { return stop_ || !tasks_.empty(); });
    if (tasks_.empty()) return;  // stopped, with nothing left to do
    std::function<void(unsigned)> task = std::move(tasks_.front());
    tasks_.pop_front();
    held.unlock();
    task(worker);
    held.lock();
  }
}

}  // namespace sifta

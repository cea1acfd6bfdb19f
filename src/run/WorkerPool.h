// The threads that cut records beside the one that reads, counts and writes.
// A run makes one pool; its threads start when a file first hands them work
// and serve every file of the run, so that a series of many small files
// starts them once.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sifta {

// The most threads a pool starts, whatever it is asked for: each keeps a
// chunk in flight, with its block and its output, and memory has to stay
// small on a machine of many hardware threads too. More would not make a
// run faster: the one thread that writes is the limit long before.
constexpr unsigned kMostCutWorkers = 8;

class WorkerPool {
 public:
  // `workers` threads (at most kMostCutWorkers; 0: none, every task is the
  // caller's to do).
  explicit WorkerPool(unsigned workers);
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool();  // the tasks handed over are done first

  unsigned Size() const { return size_; }

  // Runs `task` on one of the threads, with that thread's number (0 to
  // Size() - 1); here and now when the pool has no thread (none asked for,
  // or none could be started). The task must not throw.
  void Run(std::function<void(unsigned worker)> task);

 private:
  void Work(unsigned worker);

  const unsigned size_;
  std::mutex lock_;
  std::condition_variable work_;
  std::deque<std::function<void(unsigned)>> tasks_;
  bool stop_ = false;
  std::vector<std::thread> threads_;  // started at the first Run
};

}  // namespace sifta

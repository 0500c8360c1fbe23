// Threads that wait for each other: each arrives, and none goes on before all
// have. A mutex and a condition variable rather than std::latch, whose atomic
// wait can sleep forever under the MinGW-w64 thread library.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace morvik {

class Meeting {
 public:
  explicit Meeting(std::size_t expected) : left_(expected) {}
  void ArriveAndWait() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (--left_ == 0) everyone_.notify_all();
    everyone_.wait(lock, [this] { return left_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable everyone_;
  std::size_t left_;
};

}  // namespace morvik

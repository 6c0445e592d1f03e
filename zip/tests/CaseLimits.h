// The time and memory one test case takes, and a watchdog that ends the program naming the
// case when a case never returns.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "AllocationMeter.h"

namespace talu::zip::test {

struct CaseCost {
  double seconds;
  std::size_t peakBytes;  // most bytes held through operator new beyond those held before
};

template <class Action>
CaseCost MeasureCase(Action&& action) {
  const std::size_t before = HeldBytes();
  ResetPeakBytes();
  const auto start = std::chrono::steady_clock::now();
  action();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const std::size_t peak = PeakBytes();
  return {took.count(), peak > before ? peak - before : 0};
}

// Aborts the program when one case runs longer than `limit`: a hang then fails fast with the
// case's name instead of running into the test driver's timeout.
class HangWatchdog {
 public:
  explicit HangWatchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
  ~HangWatchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  void Start(std::string label) {
    std::lock_guard<std::mutex> lock(mutex_);
    label_ = std::move(label);
    started_ = std::chrono::steady_clock::now();
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(200), [this] { return done_; })) {
      if (!label_.empty() && std::chrono::steady_clock::now() - started_ > limit_) {
        std::fprintf(stderr, "HANG: %s ran longer than %llds\n", label_.c_str(),
                     static_cast<long long>(limit_.count()));
        std::abort();
      }
    }
  }

  std::chrono::seconds limit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string label_;
  std::chrono::steady_clock::time_point started_;
  bool done_ = false;
  std::thread thread_;  // last: starts once the fields above exist
};

}  // namespace talu::zip::test

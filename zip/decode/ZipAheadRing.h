// A helper thread that fills a ring of slots ahead of one consumer: slot after slot in ring
// order, each once the consumer has given it back. The consumer takes the slots in the same
// order; an exception of the helper reaches the consumer with the slot it was filling.
//
// Usage: TZipAheadRing<TSlot, 2> ring;  ring.Start([](TSlot& s) { ...; return more; });
//        TSlot& s = ring.Take();  (gives back the slot taken before)
#pragma once

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace talu::zip {

template <typename TSlot, int kSlots>
class TZipAheadRing {
 public:
  TZipAheadRing() = default;
  ~TZipAheadRing() { Stop(); }
  TZipAheadRing(const TZipAheadRing&) = delete;
  TZipAheadRing& operator=(const TZipAheadRing&) = delete;

  TSlot& operator[](int index) { return slots_[index]; }  // set-up before Start
  bool Running() const { return helper_.joinable(); }

  // Runs `fill(slot)` on the helper thread for slot after slot until it returns false or
  // throws; the slot it was filling then goes to the consumer as the last one. When no thread
  // can be started the ring does not run, and the consumer does the work in its own thread.
  template <typename Fill>
  void Start(Fill fill) try {
    helper_ = std::thread([this, fill]() mutable {
      for (int index = 0;; index = (index + 1) % kSlots) {
        {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait(lock, [&] { return stop_ || !filled_[index]; });
          if (stop_) return;
        }
        bool more = false;
        try {
          more = fill(slots_[index]);
        } catch (...) {
          errors_[index] = std::current_exception();
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          filled_[index] = true;
        }
        changed_.notify_all();
        if (!more) return;
      }
    });
  } catch (const std::system_error&) {
    // Running() stays false.
  }

  // Gives back the slot taken last and waits for the next one; rethrows the helper's exception.
  // Call it only while the helper has slots left to fill.
  TSlot& Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (holding_) {
      filled_[(next_ + kSlots - 1) % kSlots] = false;
      changed_.notify_all();
    }
    const int index = next_;
    changed_.wait(lock, [&] { return filled_[index]; });
    if (errors_[index]) std::rethrow_exception(errors_[index]);
    next_ = (next_ + 1) % kSlots;
    holding_ = true;
    return slots_[index];
  }

  // Stops the helper after the slot it is filling, and waits for it.
  void Stop() {
    if (!helper_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    helper_.join();
  }

 private:
  TSlot slots_[kSlots];
  bool filled_[kSlots] = {};
  std::exception_ptr errors_[kSlots];
  int next_ = 0;          // slot the consumer takes next
  bool holding_ = false;  // the consumer holds slot next_ - 1
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread helper_;
};

}  // namespace talu::zip

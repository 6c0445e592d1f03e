// A variable set for the length of a scope: it gets its old value back when the scope ends,
// however it ends.
//
// Usage: TScopedValue<bool> quiet(FProgressEnabled, false);
#pragma once

#include <utility>

namespace talu::zip {

template <class T>
class TScopedValue {
 public:
  TScopedValue(T& target, T value) : target_(target), saved_(std::exchange(target, value)) {}
  ~TScopedValue() { target_ = std::move(saved_); }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

 private:
  T& target_;
  T saved_;
};

}  // namespace talu::zip

// Append-only storage in large blocks: what it hands out never moves until Clear, so many
// small strings (item names, extra fields, comments) cost no allocation of their own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace talu::zip {

template <class T>
class TArena {
 public:
  // Copies `data` into the arena and returns the stored copy.
  std::basic_string_view<T> Store(std::basic_string_view<T> data) {
    if (data.empty()) return {};
    T* slot = Allocate(data.size());
    std::memcpy(slot, data.data(), data.size() * sizeof(T));
    return {slot, data.size()};
  }

  void Clear() {
    blocks_.clear();
    used_ = capacity_ = 0;
  }

 private:
  static constexpr std::size_t kBlockUnits = 256 * 1024;

  T* Allocate(std::size_t count) {
    if (count > capacity_ - used_) {
      const std::size_t size = std::max(kBlockUnits, count);
      blocks_.push_back(std::make_unique_for_overwrite<T[]>(size));
      used_ = 0;
      capacity_ = size;
    }
    T* slot = blocks_.back().get() + used_;
    used_ += count;
    return slot;
  }

  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t used_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace talu::zip

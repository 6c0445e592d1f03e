// The name index of the item array: entry i holds the name of item i, and lookups ignore the
// case of 'A' to 'Z' only. Of several equal entries a lookup finds the most recently entered
// one, which after loading is the highest index. Keys are views of names the array stores, so
// an entry costs no allocation of its own.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace talu::zip {

class TZipNameIndex {
 public:
  // Entry of `name`, or -1.
  int IndexOf(std::u16string_view name) const;
  // Adds `name` as entry Count().
  void Append(std::u16string_view name);
  // Gives entry `entry` the key `name`.
  void Replace(int entry, std::u16string_view name);
  int Count() const { return static_cast<int>(entries_.size()); }
  void Clear();
  // Makes room for `count` entries, so that adding them needs no rehashing.
  void Reserve(std::size_t count);

 private:
  struct Entry {
    std::u16string_view key;
    std::uint32_t hash;
    std::int32_t next;  // next entry of the chain, or -1
  };

  static std::uint32_t Hash(std::u16string_view name);
  std::int32_t& Head(std::uint32_t hash) { return buckets_[hash & (buckets_.size() - 1)]; }
  void Link(int entry);
  void Unlink(int entry);
  void Grow();

  std::vector<Entry> entries_;
  std::vector<std::int32_t> buckets_;
};

}  // namespace talu::zip

#include "ZipNameIndex.h"

#include <algorithm>
#include <bit>

#include "text/ZipStrFunc.h"

namespace talu::zip {
namespace {

constexpr std::size_t kMinBuckets = 1024;

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ZipLowerChar(a[i]) != ZipLowerChar(b[i])) return false;
  }
  return true;
}

}  // namespace

std::uint32_t TZipNameIndex::Hash(std::u16string_view name) {
  std::uint32_t h = 2166136261u;  // FNV-1a over the lower-cased units
  for (char16_t c : name) h = (h ^ ZipLowerChar(c)) * 16777619u;
  return h ^ (h >> 15);
}

int TZipNameIndex::IndexOf(std::u16string_view name) const {
  if (buckets_.empty()) return -1;
  const std::uint32_t hash = Hash(name);
  for (std::int32_t e = buckets_[hash & (buckets_.size() - 1)]; e >= 0; e = entries_[e].next) {
    if (entries_[e].hash == hash && SameName(entries_[e].key, name)) return e;
  }
  return -1;
}

void TZipNameIndex::Append(std::u16string_view name) {
  entries_.push_back({name, Hash(name), -1});
  if (entries_.size() > buckets_.size()) {
    Grow();
  } else {
    Link(Count() - 1);
  }
}

void TZipNameIndex::Replace(int entry, std::u16string_view name) {
  Unlink(entry);
  entries_[entry].key = name;
  entries_[entry].hash = Hash(name);
  Link(entry);
}

void TZipNameIndex::Reserve(std::size_t count) {
  entries_.reserve(count);
  if (count <= buckets_.size()) return;
  buckets_.assign(std::bit_ceil(std::max(count, kMinBuckets)), -1);
  for (int e = 0; e < Count(); ++e) Link(e);
}

void TZipNameIndex::Clear() {
  entries_.clear();
  buckets_.clear();
}

void TZipNameIndex::Link(int entry) {
  std::int32_t& head = Head(entries_[entry].hash);
  entries_[entry].next = head;
  head = entry;
}

void TZipNameIndex::Unlink(int entry) {
  std::int32_t* link = &Head(entries_[entry].hash);
  while (*link != entry) link = &entries_[*link].next;
  *link = entries_[entry].next;
}

void TZipNameIndex::Grow() {
  buckets_.assign(std::max(kMinBuckets, buckets_.size() * 2), -1);
  // Linking in ascending order leaves the highest of equal entries at the head of its chain.
  for (int e = 0; e < Count(); ++e) Link(e);
}

}  // namespace talu::zip

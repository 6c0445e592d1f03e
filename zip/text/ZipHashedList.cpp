#include "ZipHashedList.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace talu::zip {

TZipStringHash::TZipStringHash(std::uint32_t aSize) : buckets_(aSize, nullptr), size_(aSize) {}

TZipStringHash::~TZipStringHash() {
  Clear();
}

void TZipStringHash::Clear() {
  for (THashItem*& head : buckets_) {
    while (head != nullptr) delete std::exchange(head, head->Next);
  }
}

std::uint32_t TZipStringHash::HashOf(const std::u16string& key) const {
  std::uint32_t h = 0;
  for (char16_t c : key) h = std::rotl(h, 2) ^ c;
  return h;
}

THashItem** TZipStringHash::Find(const std::u16string& key) const {
  THashItem** link = &buckets_[HashOf(key) % buckets_.size()];
  while (*link != nullptr && (*link)->Key != key) link = &(*link)->Next;
  return link;
}

void TZipStringHash::Add(const std::u16string& key, std::int32_t value) {
  THashItem*& head = buckets_[HashOf(key) % buckets_.size()];
  head = new THashItem{head, key, value};
}

void TZipStringHash::Remove(const std::u16string& key) {
  THashItem** link = Find(key);
  if (*link != nullptr) delete std::exchange(*link, (*link)->Next);
}

bool TZipStringHash::Modify(const std::u16string& key, std::int32_t value) {
  THashItem* item = *Find(key);
  if (item != nullptr) item->Value = value;
  return item != nullptr;
}

std::int32_t TZipStringHash::ValueOf(const std::u16string& key) const {
  const THashItem* item = *Find(key);
  return item != nullptr ? item->Value : -1;
}

TZipHashedStringList::~TZipHashedStringList() = default;

int TZipHashedStringList::Add(const std::u16string& s) {
  const int index = TStringList::Add(s);
  if (valueHash_ && valueHashValid_) {
    valueHash_->Add(Key(s), index);
    // Too full: drop it; the next lookup builds a larger one.
    if (static_cast<std::uint64_t>(valueHash_->Size()) * 5 < static_cast<std::uint64_t>(Count())) {
      valueHash_.reset();
    }
  }
  nameHashValid_ = false;
  return index;
}

void TZipHashedStringList::Update(int index, const std::u16string& newValue) {
  if (valueHash_ && valueHashValid_) {
    valueHash_->Remove(Key(Strings(index)));
    valueHash_->Add(Key(newValue), index);
  }
  SetLine(index, newValue);
  nameHashValid_ = false;
}

void TZipHashedStringList::Delete(int index) {
  TStringList::Delete(index);
  Changed();
}

void TZipHashedStringList::Clear() {
  TStringList::Clear();
  if (valueHash_) valueHash_->Clear();
  nameHashValid_ = false;
}

void TZipHashedStringList::Changed() {
  valueHashValid_ = false;
  nameHashValid_ = false;
}

int TZipHashedStringList::IndexOf(const std::u16string& s) {
  UpdateValueHash();
  return valueHash_->ValueOf(Key(s));
}

int TZipHashedStringList::IndexOfName(const std::u16string& name) {
  UpdateNameHash();
  return nameHash_->ValueOf(Key(name));
}

void TZipHashedStringList::UpdateValueHash() {
  const bool created = !valueHash_;
  if (created) {
    valueHash_ =
        std::make_unique<TZipStringHash>(static_cast<std::uint32_t>(std::max(Count(), 1000)));
  }
  if (!created && valueHashValid_) return;
  valueHash_->Clear();
  for (int i = 0; i < Count(); ++i) valueHash_->Add(Key(Strings(i)), i);
  valueHashValid_ = true;
}

void TZipHashedStringList::UpdateNameHash() {
  if (nameHash_ && nameHashValid_) return;
  if (nameHash_) {
    nameHash_->Clear();
  } else {
    nameHash_ = std::make_unique<TZipStringHash>(256);
  }
  for (int i = 0; i < Count(); ++i) {
    const std::u16string& line = Strings(i);
    const std::size_t eq = line.find(u'=');
    if (eq != std::u16string::npos) nameHash_->Add(Key(line.substr(0, eq)), i);
  }
  nameHashValid_ = true;
}

}  // namespace talu::zip

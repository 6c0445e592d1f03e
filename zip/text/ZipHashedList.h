// A chained string hash and a string list that answers IndexOf and IndexOfName through it.
// Usage: TZipHashedStringList list; list.Add(u"a.txt"); list.IndexOf(u"A.TXT") == 0
// A public class of the engine for callers that want a string list with a hashed IndexOf; the
// engine itself does not use it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ZipStringList.h"

namespace talu::zip {

struct THashItem {
  THashItem* Next;
  std::u16string Key;
  std::int32_t Value;
};

class TZipStringHash {
 public:
  explicit TZipStringHash(std::uint32_t aSize);
  virtual ~TZipStringHash();
  TZipStringHash(const TZipStringHash&) = delete;
  TZipStringHash& operator=(const TZipStringHash&) = delete;

  void Clear();
  // H := rotate-left(H, 2) xor code unit, over the key.
  virtual std::uint32_t HashOf(const std::u16string& key) const;
  // New entries go to the head of their chain; equal keys are not looked for.
  void Add(const std::u16string& key, std::int32_t value);
  void Remove(const std::u16string& key);
  bool Modify(const std::u16string& key, std::int32_t value);
  // Value of the first entry with `key` in its chain, or -1.
  std::int32_t ValueOf(const std::u16string& key) const;
  std::uint32_t Size() const { return size_; }

 private:
  // The link that points at the first node with `key`, or the null link ending its chain.
  THashItem** Find(const std::u16string& key) const;

  mutable std::vector<THashItem*> buckets_;
  std::uint32_t size_;
};

class TZipHashedStringList : public TStringList {
 public:
  ~TZipHashedStringList() override;

  int Add(const std::u16string& s) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const std::u16string& s) override;
  int IndexOfName(const std::u16string& name) override;
  // Replaces line `index`, keeping an up-to-date value hash in step.
  void Update(int index, const std::u16string& newValue);
  // Bucket count of the value hash, 0 when it does not exist (for inspection).
  std::uint32_t ValueHashSize() const { return valueHash_ ? valueHash_->Size() : 0; }

 protected:
  void Changed() override;

 private:
  void UpdateValueHash();
  void UpdateNameHash();

  std::unique_ptr<TZipStringHash> valueHash_;
  std::unique_ptr<TZipStringHash> nameHash_;
  bool valueHashValid_ = false;
  bool nameHashValid_ = false;
};

}  // namespace talu::zip

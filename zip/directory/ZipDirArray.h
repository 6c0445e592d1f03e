// The item array of an archive directory, with its name index. Names, extra fields and comments
// live in arenas of the array, so loading a large directory costs few allocations.
#pragma once

#include <string_view>
#include <vector>

#include "ZipArena.h"
#include "ZipDirItem.h"
#include "ZipNameIndex.h"

namespace talu::zip {

class TZipDirArray {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  // Growing adds fresh (all-zero) items; 0 also releases the storage.
  void SetCount(int count);
  // Makes room for `count` items without adding any.
  void Reserve(std::size_t count);
  // Appends a fresh item and returns it.
  TDirItem& Append();
  // Drops every item and name; the storage stays.
  void Clear();

  // The item at `index`; kNeGetItemIndex or kNeGetItemPtrIndex when out of range.
  const TDirItem& GetItem(int index) const;
  TDirItem& GetItemPtr(int index);
  const TDirItem& operator[](int index) const { return items_[static_cast<std::size_t>(index)]; }

  void ClearTags();
  // `itemNo` := the item whose name equals `fileName` (ignoring the case of A to Z), or -1.
  bool FileExists(std::u16string_view fileName, int& itemNo) const;
  // Names item `index`, keeping the index in step: kNeNameTakenInIndex when the item's current name
  // is found at another position.
  void SetItemName(int index, std::u16string_view name);
  // Keeps a copy of `bytes` for the array's lifetime (until Clear).
  std::string_view StoreBytes(std::string_view bytes) { return bytes_.Store(bytes); }

 private:
  std::vector<TDirItem> items_;
  TZipNameIndex names_;
  TArena<char16_t> nameText_;
  TArena<char> bytes_;
};

}  // namespace talu::zip

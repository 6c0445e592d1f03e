#include "ZipDirArray.h"

#include "ZipExcept.h"

namespace talu::zip {

void TZipDirArray::SetCount(int count) {
  if (count <= 0) {
    std::vector<TDirItem>().swap(items_);
    names_.Clear();
    nameText_.Clear();
    bytes_.Clear();
    return;
  }
  items_.resize(static_cast<std::size_t>(count), TDirItem{});
}

void TZipDirArray::Reserve(std::size_t count) {
  items_.reserve(count);
  names_.Reserve(count);
}

TDirItem& TZipDirArray::Append() {
  return items_.emplace_back(TDirItem{});
}

void TZipDirArray::Clear() {
  items_.clear();
  names_.Clear();
  nameText_.Clear();
  bytes_.Clear();
}

const TDirItem& TZipDirArray::GetItem(int index) const {
  if (index < 0 || index >= Count()) throw EZipException(kNeGetItemIndex, nullptr);
  return items_[static_cast<std::size_t>(index)];
}

TDirItem& TZipDirArray::GetItemPtr(int index) {
  if (index < 0 || index >= Count()) throw EZipException(kNeGetItemPtrIndex, nullptr);
  return items_[static_cast<std::size_t>(index)];
}

void TZipDirArray::ClearTags() {
  for (TDirItem& item : items_) item.Tagged = false;
}

bool TZipDirArray::FileExists(std::u16string_view fileName, int& itemNo) const {
  itemNo = names_.IndexOf(fileName);
  return itemNo >= 0;
}

void TZipDirArray::SetItemName(int index, std::u16string_view name) {
  TDirItem& item = GetItemPtr(index);
  const std::u16string_view stored = nameText_.Store(name);
  const int found = names_.IndexOf(item.Name);
  if (found < 0) {
    names_.Append(stored);
  } else if (found == index) {
    names_.Replace(index, stored);
  } else {
    throw EZipException(kNeNameTakenInIndex, nullptr);
  }
  item.Name = stored;
}

}  // namespace talu::zip

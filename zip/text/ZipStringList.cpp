#include "ZipStringList.h"

#include "ZipStrFunc.h"

namespace talu::zip {

int TStringList::Add(const std::u16string& s) {
  lines_.push_back(s);
  return Count() - 1;
}

void TStringList::Delete(int index) {
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(&Strings(index) - lines_.data()));
}

void TStringList::Clear() {
  lines_.clear();
}

std::u16string TStringList::Key(const std::u16string& s) const {
  return caseSensitive_ ? s : ZipLowerCase(s);
}

int TStringList::IndexOf(const std::u16string& s) {
  const std::u16string key = Key(s);
  for (int i = 0; i < Count(); ++i) {
    if (Key(lines_[static_cast<std::size_t>(i)]) == key) return i;
  }
  return -1;
}

int TStringList::IndexOfName(const std::u16string& name) {
  const std::u16string key = Key(name);
  for (int i = 0; i < Count(); ++i) {
    const std::u16string& line = lines_[static_cast<std::size_t>(i)];
    const std::size_t eq = line.find(u'=');
    if (eq != std::u16string::npos && Key(line.substr(0, eq)) == key) return i;
  }
  return -1;
}

}  // namespace talu::zip

#include "MultiSz.h"

#include "FileSystem.h"

namespace talu {
namespace {

constexpr std::u16string_view kNtPrefix = u"\\??\\";

bool IsDeletionEntry(const std::u16string& entry) {
  return entry.size() > 1 && entry.back() == u'\0';
}

std::u16string PathOfDeletion(const std::u16string& entry) {
  std::u16string_view path(entry.data(), entry.size() - 1);  // without the appended zero
  if (path.starts_with(kNtPrefix)) path.remove_prefix(kNtPrefix.size());
  return std::u16string(path);
}

}  // namespace

int ExtractREG_MULTI_SZ(std::u16string_view Multi_SZ, std::vector<std::u16string>& StrArr) {
  const size_t size = Multi_SZ.size();
  int count = 0;
  size_t i = 0;
  while (i < size && Multi_SZ[i] != u'\0') {
    std::u16string entry;
    while (i < size && Multi_SZ[i] != u'\0') entry.push_back(Multi_SZ[i++]);
    if (i + 1 < size && Multi_SZ[i + 1] == u'\0') {
      entry.push_back(u'\0');
      i += 2;
    } else {
      i += 1;
    }
    StrArr.push_back(std::move(entry));
    ++count;
  }
  return count;
}

std::optional<size_t> FindPendingDeletion(const std::vector<std::u16string>& entries,
                                          const std::u16string& path) {
  size_t i = 0;
  while (i < entries.size()) {
    if (!IsDeletionEntry(entries[i])) {
      i += 2;  // a rename source and its target
      continue;
    }
    if (SameTextIgnoringCase(PathOfDeletion(entries[i]), path)) return i;
    ++i;
  }
  return std::nullopt;
}

std::u16string JoinEntries(const std::vector<std::u16string>& entries) {
  std::u16string text;
  for (const auto& entry : entries) {
    text += entry;
    text.push_back(u'\0');
  }
  return text;
}

}  // namespace talu

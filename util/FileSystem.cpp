#include "FileSystem.h"

#include <vector>

#include "WideText.h"
#include "text/ZipStrFunc.h"

namespace talu {
namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

// "C:\", "\\server\share" and shorter: no parent to look up.
constexpr size_t kShortestWithParent = 4;

// `full` with each part that exists in its long form; a missing file keeps its name.
std::u16string LongPathOf(const std::u16string& full) {
  std::vector<wchar_t> longer(MAX_PATH + 1);
  DWORD length = GetLongPathNameW(Wide(full), longer.data(), static_cast<DWORD>(longer.size()));
  if (length >= longer.size()) {
    longer.resize(length + 1);
    length = GetLongPathNameW(Wide(full), longer.data(), length + 1);
  }
  if (length != 0 && length < longer.size()) return FromWide(longer.data());
  const size_t cut = full.rfind(u'\\');
  if (full.size() < kShortestWithParent || cut == std::u16string::npos || cut < 3) return full;
  return LongPathOf(full.substr(0, cut)) + full.substr(cut);
}

}  // namespace

bool FileExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFolderLink(DWORD attributes) {
  constexpr DWORD kLinkBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes != kNoAttributes && (attributes & kLinkBits) == kLinkBits;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

std::u16string ChangeFileExt(const std::u16string& path, const std::u16string& extension) {
  return path.substr(0, path.size() - zip::ExtractFileExt(path).size()) + extension;
}

std::u16string ExcludeTrailingBackslash(std::u16string_view path) {
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  return std::u16string(path);
}

bool SameTextIgnoringCase(const std::u16string& a, const std::u16string& b) {
  return CompareStringOrdinal(Wide(a), static_cast<int>(a.size()), Wide(b),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::u16string FullPathOf(const std::u16string& path) {
  std::vector<wchar_t> full(MAX_PATH + 1);
  DWORD length =
      GetFullPathNameW(Wide(path), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length + 1);
    length = GetFullPathNameW(Wide(path), length + 1, full.data(), nullptr);
  }
  return length == 0 || length >= full.size() ? path : FromWide(full.data());
}

std::u16string ShortPathOf(const std::u16string& path) {
  std::vector<wchar_t> shorter(MAX_PATH + 1);
  const DWORD length =
      GetShortPathNameW(Wide(path), shorter.data(), static_cast<DWORD>(shorter.size()));
  return length == 0 || length >= shorter.size() ? u"" : FromWide(shorter.data());
}

std::u16string NormalPath(const std::u16string& path) {
  std::u16string full = FullPathOf(path);
  if (full.size() > 3) full = ExcludeTrailingBackslash(full);
  return LongPathOf(full);
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
  return SameTextIgnoringCase(NormalPath(a), NormalPath(b));
}

}  // namespace talu

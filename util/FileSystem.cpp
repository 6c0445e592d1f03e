#include "FileSystem.h"

#include <vector>

#include "WideText.h"

namespace talu {
namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

std::u16string::size_type LastDelimiter(const std::u16string& path) {
  return path.find_last_of(u"\\:");
}

}  // namespace

bool FileExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(WStr(path));
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(WStr(path));
  return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFolderLink(DWORD attributes) {
  constexpr DWORD kLinkBits = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes != kNoAttributes && (attributes & kLinkBits) == kLinkBits;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

std::u16string ExtractFilePath(const std::u16string& path) {
  const auto at = LastDelimiter(path);
  return at == std::u16string::npos ? std::u16string() : path.substr(0, at + 1);
}

std::u16string ExtractFileName(const std::u16string& path) {
  const auto at = LastDelimiter(path);
  return at == std::u16string::npos ? path : path.substr(at + 1);
}

std::u16string ChangeFileExt(const std::u16string& path, const std::u16string& extension) {
  const auto dot = path.find_last_of(u".\\:");
  if (dot == std::u16string::npos || path[dot] != u'.') return path + extension;
  return path.substr(0, dot) + extension;
}

std::u16string ExcludeTrailingBackslash(const std::u16string& path) {
  if (!path.empty() && path.back() == u'\\') return path.substr(0, path.size() - 1);
  return path;
}

std::u16string CurrentDirectory() {
  std::vector<wchar_t> buffer(GetCurrentDirectoryW(0, nullptr) + 1, L'\0');
  GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  return U16(buffer.data());
}

bool ForceDirectories(const std::u16string& path) {
  std::u16string folder = path;
  while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  if (folder.empty()) return false;
  if (DirectoryExists(folder)) return true;
  const std::u16string parent = ExtractFilePath(folder);
  if (parent.size() >= folder.size() || (!parent.empty() && !ForceDirectories(parent))) {
    return false;
  }
  return CreateDirectoryW(WStr(folder), nullptr) || DirectoryExists(folder);
}

bool SameTextIgnoringCase(const std::u16string& a, const std::u16string& b) {
  return CompareStringOrdinal(WStr(a), static_cast<int>(a.size()), WStr(b),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace talu

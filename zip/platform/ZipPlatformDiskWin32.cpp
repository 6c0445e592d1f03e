// Win32 side of landing extracted files: exclusive creation, DOS times, attributes, folders.
#include <windows.h>

#include "ZipFolderChain.h"
#include "ZipPlatform.h"
#include "ZipWideText.h"

namespace talu::zip::platform {
namespace {

// Outside the "\\?\" form the system refuses paths of MAX_PATH units or more; such a prefix is
// answered here without asking, which spares a slow walk along a path of thousands of segments.
bool WithinPathLimit(const char16_t* path, std::size_t length) {
  return length < MAX_PATH || std::u16string_view(path, length).starts_with(u"\\\\?\\");
}

}  // namespace

// Folders are landed in by path: a batch holds no handle of them.
FolderHandle OpenFolder(const std::u16string& path) {
  const DWORD attr = GetFileAttributesW(Wide(path));
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) ? 0 : kNoFolder;
}

FolderHandle OpenSubfolder(FolderHandle, const std::u16string& path) {
  if (!WithinPathLimit(path.c_str(), path.size())) return kNoFolder;
  switch (GetEntryKind(path)) {
    case EntryKind::Folder:
      return 0;
    case EntryKind::Missing:
      return CreateDirectoryW(Wide(path), nullptr) ? 0 : kNoFolder;
    default:
      return kNoFolder;
  }
}

void CloseFolder(FolderHandle) {}

FileHandle CreateExclusiveFile(const std::u16string& path, bool, FolderHandle) {
  const HANDLE h = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(h);
}

// Items made on Unix land here as every other item does.
bool KeepsUnixMetadata() {
  return false;
}
bool SetFileTimeUnix(FileHandle, std::int64_t, std::uint32_t) {
  return false;
}
bool SetFileMode(FileHandle, std::uint32_t, bool) {
  return false;
}
bool MakeSymbolicLink(const std::u16string&, const std::string&, FolderHandle) {
  return false;
}

EntryKind GetEntryKind(const std::u16string& path, FolderHandle) {
  const DWORD attr = GetFileAttributesW(Wide(path));
  if (attr == INVALID_FILE_ATTRIBUTES) return EntryKind::Missing;
  // A reparse point whose tag is not reported (0, as under Wine for a host's symbolic link) is
  // taken for a link too: where it leads cannot be told.
  if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Wide(path), &found);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    if (found.dwReserved0 == 0 || IsReparseTagNameSurrogate(found.dwReserved0))
      return EntryKind::Link;
  }
  return (attr & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

bool SetFileTimeDos(FileHandle file, std::uint16_t dosDate, std::uint16_t dosTime) {
  FILETIME local{}, utc{};
  return DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc) &&
         SetFileTime(reinterpret_cast<HANDLE>(file), nullptr, nullptr, &utc);
}

std::int32_t FileAgeDos(const std::u16string& path, FolderHandle) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FILETIME local{};
  WORD date = 0, time = 0;
  if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data) ||
      !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<std::int32_t>(std::uint32_t{date} << 16 | time);
}

std::uint32_t GetFileAttr(const std::u16string& path, FolderHandle) {
  const DWORD attr = GetFileAttributesW(Wide(path));
  return attr == INVALID_FILE_ATTRIBUTES ? (FileExists(path) ? 4 : 0) : attr;
}

bool SetFileAttr(const std::u16string& path, std::uint32_t attr, FolderHandle) {
  return SetFileAttributesW(Wide(path), attr) != 0;
}

bool SetOpenFileAttr(FileHandle, std::uint32_t) {
  return false;
}

bool IsRootedPath(const std::u16string&) {
  return false;
}

bool IsDeviceName(std::u16string_view segment) {
  // The system reads the part before the first dot, without trailing spaces, case-insensitively.
  std::u16string base(segment.substr(0, segment.find(u'.')));
  while (!base.empty() && base.back() == u' ') base.pop_back();
  for (char16_t& c : base) c = (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
  if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" ||
      base == u"CONOUT$")
    return true;
  return base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT")) &&
         base[3] >= u'1' && base[3] <= u'9';
}

bool RemoveFile(const std::u16string& path, FolderHandle) {
  return DeleteFileW(Wide(path)) != 0;
}

bool ForceDirectories(const std::u16string& path) {
  std::u16string dir = path;
  while (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  if (dir.empty()) return false;
  const auto probe = [&](const char16_t* prefix, std::size_t length) {
    if (!WithinPathLimit(prefix, length)) return FolderProbe::Missing;
    const DWORD attr = GetFileAttributesW(Wide(prefix));
    if (attr == INVALID_FILE_ATTRIBUTES) return FolderProbe::Missing;
    return (attr & FILE_ATTRIBUTE_DIRECTORY) ? FolderProbe::Folder : FolderProbe::NotAFolder;
  };
  const auto make = [&](const char16_t* prefix, std::size_t length) {
    return WithinPathLimit(prefix, length) &&
           (CreateDirectoryW(Wide(prefix), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  };
  // Never below a drive ("C:") or the start of the path.
  const auto mayCut = [](const std::u16string& d, std::size_t cut) {
    return cut > 0 && d[cut - 1] != u':';
  };
  return ForceFolderChain(dir, u'\\', probe, make, mayCut);
}

std::u16string CurrentDirectory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::u16string dir(n, u'\0');
  dir.resize(GetCurrentDirectoryW(n, Wide(dir.data())));
  return dir;
}

std::string TextToSystemBytes(const std::u16string& text) {
  if (text.empty()) return {};
  const auto* wide = Wide(text.data());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

}  // namespace talu::zip::platform

// Win32 side of landing extracted files: exclusive creation, DOS times, attributes, folders.
#include <windows.h>

#include "ZipPlatform.h"

namespace talu::zip::platform {
namespace {

const wchar_t* Wide(const std::u16string& path) {
  return reinterpret_cast<const wchar_t*>(path.c_str());
}

}  // namespace

FileHandle CreateExclusiveFile(const std::u16string& path) {
  const HANDLE h = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(h);
}

bool SetFileTimeDos(FileHandle file, std::uint16_t dosDate, std::uint16_t dosTime) {
  FILETIME local{}, utc{};
  return DosDateTimeToFileTime(dosDate, dosTime, &local) && LocalFileTimeToFileTime(&local, &utc) &&
         SetFileTime(reinterpret_cast<HANDLE>(file), nullptr, nullptr, &utc);
}

std::int32_t FileAgeDos(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FILETIME local{};
  WORD date = 0, time = 0;
  if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data) ||
      !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToDosDateTime(&local, &date, &time))
    return -1;
  return static_cast<std::int32_t>(std::uint32_t{date} << 16 | time);
}

std::uint32_t GetFileAttr(const std::u16string& path) {
  const DWORD attr = GetFileAttributesW(Wide(path));
  return attr == INVALID_FILE_ATTRIBUTES ? (FileExists(path) ? 4 : 0) : attr;
}

bool SetFileAttr(const std::u16string& path, std::uint32_t attr) {
  return SetFileAttributesW(Wide(path), attr) != 0;
}

bool IsRootedPath(const std::u16string&) {
  return false;
}

bool RemoveFile(const std::u16string& path) {
  return DeleteFileW(Wide(path)) != 0;
}

bool ForceDirectories(const std::u16string& path) {
  std::u16string dir = path;
  while (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  if (dir.empty()) return false;
  const DWORD attr = GetFileAttributesW(Wide(dir));
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const size_t cut = dir.find_last_of(u'\\');
  if (cut != std::u16string::npos && cut > 0 && dir[cut - 1] != u':' &&
      !ForceDirectories(dir.substr(0, cut)))
    return false;
  return CreateDirectoryW(Wide(dir), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::u16string CurrentDirectory() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::u16string dir(n, u'\0');
  dir.resize(GetCurrentDirectoryW(n, reinterpret_cast<wchar_t*>(dir.data())));
  return dir;
}

std::string TextToSystemBytes(const std::u16string& text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

}  // namespace talu::zip::platform

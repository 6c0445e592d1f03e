// Win32 implementation of the platform layer: the files, drive types and code pages of the
// running system.
#include <windows.h>

#include <algorithm>
#include <string>

#include "ZipPlatform.h"
#include "ZipWideText.h"

namespace talu::zip::platform {
namespace {

DWORD ShareFlags(std::uint16_t mode) {
  switch (mode & 0xF0) {
    case kShareDenyWrite:
      return FILE_SHARE_READ;
    case kShareDenyRead:
      return FILE_SHARE_WRITE;
    case kShareDenyNone:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
      return 0;
  }
}

DWORD AccessRights(std::uint16_t mode) {
  switch (mode & 0x0F) {
    case kModeWrite:
      return GENERIC_WRITE;
    case kModeReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return GENERIC_READ;
  }
}

HANDLE Native(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

// The largest piece one ReadFile or WriteFile call moves.
constexpr std::int64_t kMaxPiece = 1 << 30;

}  // namespace

FileHandle OpenFile(const std::u16string& path, std::uint16_t mode) {
  const bool create = mode == kModeCreate;
  const HANDLE h =
      CreateFileW(Wide(path), create ? GENERIC_READ | GENERIC_WRITE : AccessRights(mode),
                  create ? 0 : ShareFlags(mode), nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(h);
}

void CloseFile(FileHandle file) {
  if (file != kInvalidFile) CloseHandle(Native(file));
}

std::int64_t ReadFile(FileHandle file, void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    DWORD got = 0;
    const auto piece = static_cast<DWORD>(std::min(count - done, kMaxPiece));
    if (!::ReadFile(Native(file), out + done, piece, &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

std::int64_t WriteFile(FileHandle file, const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    DWORD put = 0;
    const auto piece = static_cast<DWORD>(std::min(count - done, kMaxPiece));
    if (!::WriteFile(Native(file), in + done, piece, &put, nullptr) || put == 0) {
      return done == 0 ? -1 : done;
    }
    done += put;
  }
  return done;
}

std::int64_t SeekFile(FileHandle file, std::int64_t offset, SeekFrom origin) {
  static constexpr DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance{}, result{};
  distance.QuadPart = offset;
  if (!SetFilePointerEx(Native(file), distance, &result, kMethod[static_cast<int>(origin)])) {
    return -1;
  }
  return result.QuadPart;
}

bool SetFileSize(FileHandle file, std::int64_t size) {
  return SeekFile(file, size, SeekFrom::Begin) == size && SetEndOfFile(Native(file));
}

std::int64_t FileSize(FileHandle file) {
  LARGE_INTEGER size{};
  return GetFileSizeEx(Native(file), &size) ? size.QuadPart : -1;
}

bool FlushFile(FileHandle file) {
  return FlushFileBuffers(Native(file)) != 0;
}

std::string LastErrorText() {
  char* text = nullptr;
  const DWORD code = GetLastError();
  FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = text ? text : "error " + std::to_string(code);
  LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

bool FileExists(const std::u16string& path) {
  const DWORD attr = GetFileAttributesW(Wide(path));
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsRemovableDrive(const std::u16string& path) {
  std::u16string root = path.size() >= 2 && path[1] == u':' ? path.substr(0, 2) + u"\\" : u"";
  return !root.empty() && GetDriveTypeW(Wide(root)) == DRIVE_REMOVABLE;
}

std::int64_t FreeDiskSpace(const std::u16string& path) {
  const std::u16string folder = path.substr(0, path.find_last_of(u"\\:") + 1);
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(folder.empty() ? nullptr : Wide(folder), &available, nullptr, nullptr))
    return -1;
  return static_cast<std::int64_t>(available.QuadPart);
}

void ConvertOemToAnsi(char* bytes, std::size_t count) {
  if (count > 0) OemToCharBuffA(bytes, bytes, static_cast<DWORD>(count));
}

std::size_t AnsiToUtf16(const char* bytes, std::size_t count, char16_t* out) {
  if (count == 0) return 0;
  const int n = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), Wide(out),
                                    static_cast<int>(count));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

namespace {

// The code page of "cp866", "CP866", "ibm866", "windows-1251" or "866"; 0 for other names.
UINT CodePageOf(const std::string& charset) {
  std::size_t digits = charset.find_first_of("0123456789");
  if (digits == std::string::npos ||
      charset.find_first_not_of("0123456789", digits) != std::string::npos)
    return 0;
  std::string prefix = charset.substr(0, digits);
  for (char& c : prefix) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (prefix != "" && prefix != "cp" && prefix != "ibm" && prefix != "windows-") return 0;
  const UINT page = static_cast<UINT>(std::stoul(charset.substr(digits)));
  return IsValidCodePage(page) ? page : 0;
}

}  // namespace

std::optional<std::u16string> DecodeCharset(const std::string& charset, std::string_view bytes) {
  const UINT page = CodePageOf(charset);
  if (page == 0) return std::nullopt;
  if (bytes.empty()) return std::u16string();
  const int count = static_cast<int>(bytes.size());
  std::u16string text(bytes.size(), u'\0');
  const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), count,
                                    Wide(text.data()), count);
  if (n <= 0) return std::nullopt;
  text.resize(static_cast<std::size_t>(n));
  return text;
}

bool IsKnownCharset(const std::string& charset) {
  return CodePageOf(charset) != 0;
}

std::uint64_t TickCountMs() {
  return GetTickCount64();
}

}  // namespace talu::zip::platform

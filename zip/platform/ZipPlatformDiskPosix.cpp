// POSIX side of landing extracted files. Paths arrive with "\" separators and are used with
// "/"; of the Windows attributes only read-only has a counterpart (the write permission bits).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <optional>

#include "ZipFolderChain.h"
#include "ZipPlatform.h"
#include "ZipPosixPath.h"
#include "text/ZipUtf.h"

namespace talu::zip::platform {
namespace {

constexpr std::uint32_t kReadOnly = 0x01, kFolder = 0x10, kArchive = 0x20;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// Held folders serve only as the starting point of *at calls: where the system has O_PATH they
// need no right to read the folder.
#ifdef O_PATH
constexpr int kFolderAccess = O_PATH;
#else
constexpr int kFolderAccess = O_RDONLY;
#endif
constexpr int kFolderFlags = kFolderAccess | O_DIRECTORY | O_CLOEXEC;

// Where an *at call reaches `path`: its last segment in the held `folder`, or the whole path.
struct TAt {
  int dir;
  std::string name;
};
TAt At(const std::u16string& path, FolderHandle folder) {
  std::string native = NativePath(path);
  if (folder == kNoFolder) return {AT_FDCWD, std::move(native)};
  return {static_cast<int>(folder), native.substr(native.rfind('/') + 1)};
}

// The mode that the Windows attributes `attr` ask of a file of mode `mode`; nothing when it is
// as asked already. A file is read-only when no one may write it (as GetFileAttr reads it); a
// writable one gets the write bits that the umask lets through, its owner's at least.
std::optional<mode_t> ModeForAttr(mode_t mode, std::uint32_t attr) {
  const bool readOnly = (attr & kReadOnly) != 0;
  if (readOnly == ((mode & kWriteBits) == 0)) return std::nullopt;
  if (readOnly) return (mode & ~kWriteBits) & 07777;
  const mode_t umaskBits = [] {
    const mode_t m = umask(0);
    umask(m);
    return m;
  }();
  return (mode | (kWriteBits & ~umaskBits) | S_IWUSR) & 07777;
}

// Seconds east of UTC of local time at `when`.
long UtcOffset(std::time_t when) {
  std::tm local{};
  return localtime_r(&when, &local) ? local.tm_gmtoff : 0;
}

// DOS date-time fields, read as local time. mktime would look the time zone up anew for every
// call, a file system call per extracted file; here it is read once. The fields are taken as
// UTC and moved by local time's offset at that moment, looked up twice so that a moment near a
// change of offset (daylight saving time) takes the offset in force then.
std::time_t DosToTime(std::uint16_t date, std::uint16_t time) {
  static const bool zoneRead = (tzset(), true);
  (void)zoneRead;
  std::tm tm{};
  tm.tm_year = ((date >> 9) & 0x7F) + 80;
  tm.tm_mon = ((date >> 5) & 0x0F) - 1;
  tm.tm_mday = date & 0x1F;
  tm.tm_hour = (time >> 11) & 0x1F;
  tm.tm_min = (time >> 5) & 0x3F;
  tm.tm_sec = (time & 0x1F) * 2;
  const std::time_t asUtc = timegm(&tm);
  if (asUtc == static_cast<std::time_t>(-1)) return asUtc;
  return asUtc - UtcOffset(asUtc - UtcOffset(asUtc));
}

}  // namespace

FolderHandle OpenFolder(const std::u16string& path) {
  const int fd = open(NativePath(path).c_str(), kFolderFlags);
  return fd < 0 ? kNoFolder : fd;
}

// A folder made meanwhile by someone else is opened as any other: a link there is refused too.
FolderHandle OpenSubfolder(FolderHandle parent, const std::u16string& path) {
  const std::string native = NativePath(path);
  if (native.size() >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return kNoFolder;
  }
  const int dir = static_cast<int>(parent);
  const char* name = native.c_str() + native.rfind('/') + 1;
  int fd = openat(dir, name, kFolderFlags | O_NOFOLLOW);
  if (fd < 0 && errno == ENOENT && (mkdirat(dir, name, 0777) == 0 || errno == EEXIST))
    fd = openat(dir, name, kFolderFlags | O_NOFOLLOW);
  return fd < 0 ? kNoFolder : fd;
}

void CloseFolder(FolderHandle folder) {
  if (folder != kNoFolder) close(static_cast<int>(folder));
}

FileHandle CreateExclusiveFile(const std::u16string& path, bool ownerOnly, FolderHandle folder) {
  const TAt at = At(path, folder);
  const int fd = openat(at.dir, at.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        ownerOnly ? 0600 : 0666);
  return fd < 0 ? kInvalidFile : fd;
}

bool KeepsUnixMetadata() {
  return true;
}

bool SetFileTimeUnix(FileHandle file, std::int64_t seconds, std::uint32_t nanoseconds) {
  const timespec times[2] = {{0, UTIME_OMIT},
                             {static_cast<std::time_t>(seconds), static_cast<long>(nanoseconds)}};
  return futimens(static_cast<int>(file), times) == 0;
}

bool SetFileMode(FileHandle file, std::uint32_t mode, bool readOnly) {
  mode_t bits = mode & 0777;
  if (readOnly) bits &= ~kWriteBits;
  return fchmod(static_cast<int>(file), bits) == 0;
}

bool MakeSymbolicLink(const std::u16string& path, const std::string& target, FolderHandle folder) {
  const TAt at = At(path, folder);
  return symlinkat(target.c_str(), at.dir, at.name.c_str()) == 0;
}

EntryKind GetEntryKind(const std::u16string& path, FolderHandle folder) {
  const TAt at = At(path, folder);
  struct stat st {};
  if (fstatat(at.dir, at.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::Missing;
  if (S_ISLNK(st.st_mode)) return EntryKind::Link;
  if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
  return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool SetFileTimeDos(FileHandle file, std::uint16_t dosDate, std::uint16_t dosTime) {
  const std::time_t when = DosToTime(dosDate, dosTime);
  if (when == static_cast<std::time_t>(-1)) return false;
  const timespec times[2] = {{0, UTIME_OMIT}, {when, 0}};
  return futimens(static_cast<int>(file), times) == 0;
}

std::int32_t FileAgeDos(const std::u16string& path, FolderHandle folder) {
  const TAt at = At(path, folder);
  struct stat st {};
  std::tm tm{};
  if (fstatat(at.dir, at.name.c_str(), &st, 0) != 0 || !localtime_r(&st.st_mtime, &tm)) return -1;
  if (tm.tm_year < 80) return -1;
  const std::uint32_t date = (tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday;
  const std::uint32_t time = tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2;
  return static_cast<std::int32_t>(date << 16 | time);
}

std::uint32_t GetFileAttr(const std::u16string& path, FolderHandle folder) {
  const TAt at = At(path, folder);
  struct stat st {};
  if (fstatat(at.dir, at.name.c_str(), &st, 0) != 0) return errno == ENOENT ? 0 : 4;
  if (S_ISDIR(st.st_mode)) return kFolder;
  return (st.st_mode & kWriteBits) ? kArchive : kArchive | kReadOnly;
}

// A file already as asked keeps its mode, so a file just made costs no further call.
bool SetFileAttr(const std::u16string& path, std::uint32_t attr, FolderHandle folder) {
  const TAt at = At(path, folder);
  struct stat st {};
  if (fstatat(at.dir, at.name.c_str(), &st, 0) != 0) return false;
  const std::optional<mode_t> mode = ModeForAttr(st.st_mode, attr);
  return !mode || fchmodat(at.dir, at.name.c_str(), *mode, 0) == 0;
}

bool SetOpenFileAttr(FileHandle file, std::uint32_t attr) {
  struct stat st {};
  if (fstat(static_cast<int>(file), &st) != 0) return false;
  const std::optional<mode_t> mode = ModeForAttr(st.st_mode, attr);
  return !mode || fchmod(static_cast<int>(file), *mode) == 0;
}

bool IsRootedPath(const std::u16string& path) {
  return !path.empty() && path[0] == u'/';
}

bool IsDeviceName(std::u16string_view) {
  return false;
}

bool RemoveFile(const std::u16string& path, FolderHandle folder) {
  const TAt at = At(path, folder);
  return unlinkat(at.dir, at.name.c_str(), 0) == 0;
}

bool ForceDirectories(const std::u16string& path) {
  std::string dir = NativePath(path);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (dir.empty()) return false;
  const auto probe = [](const char* prefix, std::size_t) {
    struct stat st {};
    if (stat(prefix, &st) != 0) return FolderProbe::Missing;
    return S_ISDIR(st.st_mode) ? FolderProbe::Folder : FolderProbe::NotAFolder;
  };
  const auto make = [](const char* prefix, std::size_t) {
    return mkdir(prefix, 0777) == 0 || errno == EEXIST;
  };
  const auto mayCut = [](const std::string&, std::size_t cut) { return cut > 0; };
  return ForceFolderChain(dir, '/', probe, make, mayCut);
}

std::u16string CurrentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? Utf8ToUtf16(buffer) : std::u16string();
}

std::string TextToSystemBytes(const std::u16string& text) {
  return Utf16ToUtf8(text);
}

}  // namespace talu::zip::platform

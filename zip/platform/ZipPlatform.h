// The operating-system layer of the archive engine: files, drive types, code pages and the clock.
// One implementation per system (ZipPlatformWin32.cpp, ZipPlatformPosix.cpp), chosen by CMake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talu::zip::platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

enum class SeekFrom { Begin, Current, End };

// File open modes. The low nibble selects the access, bits 4-6 the sharing granted to others;
// kModeCreate creates the file (or empties an existing one) for reading and writing.
inline constexpr std::uint16_t kModeRead = 0x0000;
inline constexpr std::uint16_t kModeWrite = 0x0001;
inline constexpr std::uint16_t kModeReadWrite = 0x0002;
inline constexpr std::uint16_t kShareCompat = 0x0000;
inline constexpr std::uint16_t kShareExclusive = 0x0010;
inline constexpr std::uint16_t kShareDenyWrite = 0x0020;
inline constexpr std::uint16_t kShareDenyRead = 0x0030;
inline constexpr std::uint16_t kShareDenyNone = 0x0040;
inline constexpr std::uint16_t kModeCreate = 0xFF00;
// The two ways an archive file is opened: to read and write while others may only read, and to
// read only while others may do anything.
inline constexpr std::uint16_t kModeReadWriteDenyWrite = kModeReadWrite | kShareDenyWrite;
inline constexpr std::uint16_t kModeReadDenyNone = kModeRead | kShareDenyNone;

// Opens `path` in `mode`; kInvalidFile on failure (LastErrorText tells why).
FileHandle OpenFile(const std::u16string& path, std::uint16_t mode);
void CloseFile(FileHandle file);
// Reads or writes up to `count` bytes; the number moved, or -1 on error.
std::int64_t ReadFile(FileHandle file, void* buffer, std::int64_t count);
std::int64_t WriteFile(FileHandle file, const void* buffer, std::int64_t count);
// Moves the file pointer; the new position, or -1 on error (a negative target included).
std::int64_t SeekFile(FileHandle file, std::int64_t offset, SeekFrom origin);
bool SetFileSize(FileHandle file, std::int64_t size);
// The file's size without moving its file pointer (another thread may be reading it); -1 on
// error.
std::int64_t FileSize(FileHandle file);
bool FlushFile(FileHandle file);
// The system's description of the last failed file call.
std::string LastErrorText();

bool FileExists(const std::u16string& path);
// Whether the operating system reports the drive of `path` as removable.
bool IsRemovableDrive(const std::u16string& path);
// Bytes free for the user on the disk that holds `path` (its folder); -1 when unknown.
std::int64_t FreeDiskSpace(const std::u16string& path);

// Decodes `bytes` from the character set `charset`: a name the system's converter knows on
// POSIX ("CP866", "KOI8-R", ...), a code page on Windows ("cp866" or "866"); nothing when the
// set is unknown or the bytes are not valid in it.
std::optional<std::u16string> DecodeCharset(const std::string& charset, std::string_view bytes);
bool IsKnownCharset(const std::string& charset);
// Converts `count` bytes in place from the OEM code page to the ANSI code page.
void ConvertOemToAnsi(char* bytes, std::size_t count);
// Decodes `count` ANSI bytes into `out`, which has room for `count` units; returns the units
// written.
std::size_t AnsiToUtf16(const char* bytes, std::size_t count, char16_t* out);

// Files as extraction lands them. Paths use "\" separators on every system.
// A batch holds the folders it lands items in, so that a folder checked once is the one used and
// no path below it is resolved again: POSIX holds a descriptor of each (opened without following
// a link below the destination), Windows holds nothing (0) and lands by path. The calls below
// that take a `folder` reach the last segment of `path` in that held folder (the parent of what
// `path` names); kNoFolder resolves the whole path.
using FolderHandle = std::intptr_t;
inline constexpr FolderHandle kNoFolder = -1;
// Opens the folder `path`, following a link there (the user chose it); kNoFolder when it is not
// a folder.
FolderHandle OpenFolder(const std::u16string& path);
// Opens the folder that `path` names in `parent`, making it when missing; never through a link
// (kNoFolder, nothing made), nor past the system's longest path.
FolderHandle OpenSubfolder(FolderHandle parent, const std::u16string& path);
void CloseFolder(FolderHandle folder);
// A new file opened for writing and shared with nobody; fails when anything has that name
// already (a file, a link, a pipe), so that it never follows a link or opens a device.
// `ownerOnly` keeps others out of it until its own mode is set (POSIX; Windows ignores it).
FileHandle CreateExclusiveFile(const std::u16string& path, bool ownerOnly = false,
                               FolderHandle folder = kNoFolder);
// Whether items made on Unix land with what they carry beyond the Windows attributes: exact
// times, permission bits and symbolic links (POSIX). Windows lands them as every other item,
// with the DOS time and attributes, and never calls the next three.
bool KeepsUnixMetadata();
// Sets the last-write time to `seconds` and `nanoseconds` since 1970-01-01 UTC.
bool SetFileTimeUnix(FileHandle file, std::int64_t seconds, std::uint32_t nanoseconds);
// Sets the permission bits of `mode` (set-id and sticky bits dropped, the write bits too when
// `readOnly`), as they are: the umask is not applied.
bool SetFileMode(FileHandle file, std::uint32_t mode, bool readOnly);
// Creates the symbolic link `path` holding `target` as stored; fails when anything has that
// name.
bool MakeSymbolicLink(const std::u16string& path, const std::string& target,
                      FolderHandle folder = kNoFolder);
// What a name is, without following a link: missing, a regular file, a folder, a link (symbolic
// link, junction or other name-surrogate reparse point) or something else (a pipe, a device, a
// socket).
enum class EntryKind { Missing, File, Folder, Link, Other };
EntryKind GetEntryKind(const std::u16string& path, FolderHandle folder = kNoFolder);
// Sets the last-write time from a DOS date and time read as local time.
bool SetFileTimeDos(FileHandle file, std::uint16_t dosDate, std::uint16_t dosTime);
// The last-write time as a local DOS date-time (date in the high word); -1 when missing.
std::int32_t FileAgeDos(const std::u16string& path, FolderHandle folder = kNoFolder);
// Windows attribute bits (read-only 1, hidden 2, system 4, folder 0x10, archive 0x20, ...);
// 4 when the file exists but its attributes cannot be read, 0 when it does not exist.
std::uint32_t GetFileAttr(const std::u16string& path, FolderHandle folder = kNoFolder);
bool SetFileAttr(const std::u16string& path, std::uint32_t attr, FolderHandle folder = kNoFolder);
// Sets the attributes of a file just landed on its open handle; false where the system sets
// them only by path once the file is closed (Windows, whose landed files are shared with
// nobody while open).
bool SetOpenFileAttr(FileHandle file, std::uint32_t attr);
bool RemoveFile(const std::u16string& path, FolderHandle folder = kNoFolder);
// Whether a path names a place without a drive: on POSIX, a path from the root ("/...").
// Windows paths of that kind carry a drive colon or a network prefix instead.
bool IsRootedPath(const std::u16string& path);
// Whether a path segment names a device rather than a file (on Windows "CON", "NUL", "COM1",
// "LPT1", ... with any extension, which open the device instead of a file); never on POSIX.
bool IsDeviceName(std::u16string_view segment);
// Creates every missing folder of `path`; false for an empty path or on failure.
bool ForceDirectories(const std::u16string& path);
std::u16string CurrentDirectory();
// Text typed by the user as the bytes the system's programs use for it (the ANSI code page on
// Windows, UTF-8 elsewhere).
std::string TextToSystemBytes(const std::u16string& text);

// Milliseconds since an arbitrary start, for measuring intervals.
std::uint64_t TickCountMs();

}  // namespace talu::zip::platform

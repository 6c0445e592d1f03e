// POSIX implementation of the platform layer. Sharing modes have no POSIX counterpart and are
// not enforced; code pages are the fixed tables of OEM 437 and ANSI 1252.
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "ZipPlatform.h"
#include "ZipPosixPath.h"
#include "text/ZipUtf.h"

namespace talu::zip::platform {
namespace {

int AccessFlags(std::uint16_t mode) {
  if (mode == kModeCreate) return O_RDWR | O_CREAT | O_TRUNC;
  switch (mode & 0x0F) {
    case kModeWrite:
      return O_WRONLY;
    case kModeReadWrite:
      return O_RDWR;
    default:
      return O_RDONLY;
  }
}

int Whence(SeekFrom origin) {
  switch (origin) {
    case SeekFrom::Current:
      return SEEK_CUR;
    case SeekFrom::End:
      return SEEK_END;
    default:
      return SEEK_SET;
  }
}

// OEM 437 bytes 0x80-0xFF as ANSI 1252 bytes; characters that 1252 lacks get their nearest
// look-alike (box drawing as + - | =, Greek letters as Latin ones) or '?'.
constexpr unsigned char kOem437ToAnsi1252[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 0x50, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAC, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    0x3F, 0x3F, 0x3F, 0x7C, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x7C, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B,
    0x2B, 0x2B, 0x2B, 0x2B, 0x2D, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x3D, 0x2B, 0x2B,
    0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x2B, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
    0x61, 0xDF, 0x47, 0x70, 0x53, 0x73, 0xB5, 0x74, 0x46, 0x54, 0x4F, 0x64, 0x38, 0x66, 0x65, 0x6E,
    0x3D, 0xB1, 0x3D, 0x3D, 0x28, 0x29, 0xF7, 0x7E, 0xB0, 0xB7, 0xB7, 0x76, 0x6E, 0xB2, 0x3F, 0xA0,
};

// ANSI 1252 bytes 0x80-0x9F as UTF-16; the five unassigned bytes keep their own value.
constexpr char16_t kAnsi1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::string NativePath(const std::u16string& path) {
  std::string native = Utf16ToUtf8(path);
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

FileHandle OpenFile(const std::u16string& path, std::uint16_t mode) {
  const int fd = ::open(NativePath(path).c_str(), AccessFlags(mode) | O_CLOEXEC, 0666);
  return fd < 0 ? kInvalidFile : static_cast<FileHandle>(fd);
}

void CloseFile(FileHandle file) {
  if (file != kInvalidFile) ::close(static_cast<int>(file));
}

std::int64_t ReadFile(FileHandle file, void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(static_cast<int>(file), out + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::int64_t WriteFile(FileHandle file, const void* buffer, std::int64_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(static_cast<int>(file), in + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return done == 0 ? -1 : done;
    done += n;
  }
  return done;
}

std::int64_t SeekFile(FileHandle file, std::int64_t offset, SeekFrom origin) {
  return ::lseek(static_cast<int>(file), static_cast<off_t>(offset), Whence(origin));
}

bool SetFileSize(FileHandle file, std::int64_t size) {
  return ::ftruncate(static_cast<int>(file), static_cast<off_t>(size)) == 0;
}

std::int64_t FileSize(FileHandle file) {
  struct stat st;
  return ::fstat(static_cast<int>(file), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool FlushFile(FileHandle file) {
  return ::fsync(static_cast<int>(file)) == 0;
}

std::string LastErrorText() {
  return std::strerror(errno);
}

bool FileExists(const std::u16string& path) {
  struct stat st {};
  return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsRemovableDrive(const std::u16string&) {
  return false;
}

std::int64_t FreeDiskSpace(const std::u16string& path) {
  std::string folder = NativePath(path);
  folder = folder.substr(0, folder.find_last_of('/') + 1);
  struct statvfs disk {};
  if (statvfs(folder.empty() ? "." : folder.c_str(), &disk) != 0) return -1;
  return static_cast<std::int64_t>(disk.f_bavail) * static_cast<std::int64_t>(disk.f_frsize);
}

void ConvertOemToAnsi(char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b >= 0x80) bytes[i] = static_cast<char>(kOem437ToAnsi1252[b - 0x80]);
  }
}

std::size_t AnsiToUtf16(const char* bytes, std::size_t count, char16_t* out) {
  for (std::size_t i = 0; i < count; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[i] = (b >= 0x80 && b < 0xA0) ? kAnsi1252High[b - 0x80] : static_cast<char16_t>(b);
  }
  return count;
}

namespace {

// One converter to UTF-16LE per thread, kept for the set last asked for: a directory's names
// all come in one set, and opening a converter costs more than a name.
class TCharsetConverter {
 public:
  ~TCharsetConverter() { Close(); }
  bool Open(const std::string& charset) {
    if (charset == charset_ && handle_ != Invalid()) return true;
    Close();
    handle_ = iconv_open("UTF-16LE", charset.c_str());
    charset_ = charset;
    return handle_ != Invalid();
  }
  std::optional<std::u16string> Decode(std::string_view bytes) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string in(bytes), out(bytes.size() * 4 + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t fromLeft = in.size(), toLeft = out.size();
    if (iconv(handle_, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1) ||
        iconv(handle_, nullptr, nullptr, &to, &toLeft) == static_cast<std::size_t>(-1))
      return std::nullopt;
    std::u16string text((out.size() - toLeft) / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
      text[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                      static_cast<unsigned char>(out[2 * i + 1]) << 8);
    return text;
  }

 private:
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  void Close() {
    if (handle_ != Invalid()) iconv_close(handle_);
    handle_ = Invalid();
  }
  std::string charset_;
  iconv_t handle_ = Invalid();
};

thread_local TCharsetConverter converter;

}  // namespace

std::optional<std::u16string> DecodeCharset(const std::string& charset, std::string_view bytes) {
  if (!converter.Open(charset)) return std::nullopt;
  return converter.Decode(bytes);
}

bool IsKnownCharset(const std::string& charset) {
  return !charset.empty() && converter.Open(charset);
}

std::uint64_t TickCountMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace talu::zip::platform

#include "ZipReadOutput.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <type_traits>
#include <vector>

#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

using zip::TDirItem;

// Collects output and hands it to the stream in large pieces. Writers reserve room for what
// they add, then store through a plain pointer.
class TOutputBuffer {
 public:
  explicit TOutputBuffer(std::FILE* out) : out_(out), text_(kFlushAt + kLineRoom) {}
  ~TOutputBuffer() { Flush(); }

  // Makes room for `count` more characters.
  void Reserve(std::size_t count) {
    if (Used() + count > text_.size()) {
      const std::size_t used = Used();
      text_.resize(used + count + kLineRoom);
      at_ = text_.data() + used;
    }
  }
  TOutputBuffer& operator<<(std::string_view s) {
    Reserve(s.size());
    at_ = std::copy(s.begin(), s.end(), at_);
    return *this;
  }
  TOutputBuffer& operator<<(char c) {
    *at_++ = c;
    return *this;
  }
  template <class Number>
  requires std::is_integral_v<Number> TOutputBuffer& operator<<(Number value) {
    at_ = std::to_chars(at_, at_ + 24, value).ptr;
    return *this;
  }
  void Hex(std::uint32_t value, int width) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4)
      *at_++ = kDigits[(value >> shift) & 0xF];
  }
  // `value` (below 10,000) zero-padded to `width` digits.
  void Padded(unsigned value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) at_[i] = static_cast<char>('0' + value % 10);
    at_ += width;
  }
  void Name(std::u16string_view name);
  void EndLine() {
    *at_++ = '\n';
    if (Used() >= kFlushAt) Flush();
  }

 private:
  // Room for everything of a line but the name.
  static constexpr std::size_t kLineRoom = 256;
  static constexpr std::size_t kFlushAt = 1 << 20;
  std::size_t Used() const { return static_cast<std::size_t>(at_ - text_.data()); }
  void Flush() {
    std::fwrite(text_.data(), 1, Used(), out_);
    at_ = text_.data();
  }

  std::FILE* out_;
  std::vector<char> text_;
  char* at_ = text_.data();
};

void TOutputBuffer::Name(std::u16string_view name) {
  Reserve(3 * name.size() + kLineRoom);
  for (char16_t c : name) {
    if (c >= 0x80) {
      *this << zip::Utf16ToUtf8(name);
      return;
    }
  }
  for (char16_t c : name) *at_++ = static_cast<char>(c);
}

std::string_view EncryptionText(const TDirItem& item) {
  if (!item.IsEncrypted()) return "none";
  static constexpr std::string_view kNames[] = {"zipcrypto", "aes128", "aes192", "aes256"};
  return kNames[item.ZipEncryptionAlgorithm];
}

// A DOS date and time as YYYY-MM-DD HH:MM:SS, fields as stored.
void DosDateTime(TOutputBuffer& out, std::uint16_t date, std::uint16_t time) {
  out.Padded(1980u + (date >> 9), 4);
  out << '-';
  out.Padded((date >> 5) & 0x0F, 2);
  out << '-';
  out.Padded(date & 0x1F, 2);
  out << ' ';
  out.Padded(time >> 11, 2);
  out << ':';
  out.Padded((time >> 5) & 0x3F, 2);
  out << ':';
  out.Padded((time & 0x1F) * 2u, 2);
}

std::string MethodName(int method) {
  switch (method) {
    case 0:
      return "Stored";
    case 8:
      return "Deflate";
    case 9:
      return "Defl64";
    case 12:
      return "BZip2";
    case 14:
      return "LZMA";
    default:
      return "M" + std::to_string(method);
  }
}

// The share saved by compression, as "-" for an empty item.
std::string Ratio(std::uint64_t size, std::uint64_t packed) {
  if (size == 0) return "-";
  return std::to_string(static_cast<int>(100.0 - 100.0 * static_cast<double>(packed) /
                                                     static_cast<double>(size))) +
         "%";
}

std::string_view YesNo(bool value) {
  return value ? "yes" : "no";
}

}  // namespace

void PrintList(const zip::TZipDirManager& dir, std::FILE* out) {
  TOutputBuffer line(out);
  for (int i = 0; i < dir.CDir.Count(); ++i) {
    const TDirItem& item = dir.CDir[i];
    line << i << '\t';
    line.Name(item.Name);
    line << '\t' << item.UncompressedSize() << '\t' << item.CompressedSize() << '\t';
    line.Hex(item.CentralDir.crc32, 8);
    line << '\t' << item.CompressionMethod << '\t' << EncryptionText(item) << '\t';
    line.Hex(item.CentralDir.externalAttr, 8);
    line << '\t';
    DosDateTime(line, item.CentralDir.lastModDate, item.CentralDir.lastModTime);
    line << '\t' << item.LocalHeaderOffset();
    line.EndLine();
  }
}

void PrintTable(const zip::TZipDirManager& dir, std::FILE* out) {
  static constexpr char kRule[] =
      "------------  ------------  -----  -------  -------------------  ----\n";
  std::fputs("        Size        Packed  Saved  Method   Modified             Name\n", out);
  std::fputs(kRule, out);
  std::uint64_t size = 0, packed = 0;
  int files = 0;
  for (int i = 0; i < dir.CDir.Count(); ++i) {
    const TDirItem& item = dir.CDir[i];
    const std::uint16_t date = item.CentralDir.lastModDate, time = item.CentralDir.lastModTime;
    std::fprintf(out, "%12llu  %12llu  %5s  %-7s  %04u-%02u-%02u %02u:%02u:%02u  %s%s\n",
                 static_cast<unsigned long long>(item.UncompressedSize()),
                 static_cast<unsigned long long>(item.CompressedSize()),
                 Ratio(item.UncompressedSize(), item.CompressedSize()).c_str(),
                 MethodName(item.CompressionMethod).c_str(), 1980u + (date >> 9),
                 (date >> 5) & 0x0Fu, date & 0x1Fu, time >> 11u, (time >> 5) & 0x3Fu,
                 (time & 0x1Fu) * 2u, item.IsEncrypted() ? "*" : "",
                 zip::Utf16ToUtf8(item.Name).c_str());
    size += item.UncompressedSize();
    packed += item.CompressedSize();
    files += item.IsDirectory() ? 0 : 1;
  }
  std::fputs(kRule, out);
  std::fprintf(out, "%12llu  %12llu  %5s  %d file%s, %d item%s\n",
               static_cast<unsigned long long>(size), static_cast<unsigned long long>(packed),
               Ratio(size, packed).c_str(), files, files == 1 ? "" : "s", dir.CDir.Count(),
               dir.CDir.Count() == 1 ? "" : "s");
}

void PrintInfo(zip::TZipArchiver& archiver, std::FILE* out) {
  const zip::TZipDirManager& dir = *archiver.DMHandle();
  TOutputBuffer text(out);
  text << "items: " << dir.CDir.Count();
  text.EndLine();
  text << "files: " << archiver.FileCount();
  text.EndLine();
  text << "comment-length: " << dir.ArchiveComment.size();
  text.EndLine();
  text << "stub-size: " << dir.StubSize;
  text.EndLine();
  text << "zip64: " << YesNo(dir.FZip64);
  text.EndLine();
  text << "central-dir-offset: " << dir.CentralDirOffset;
  text.EndLine();
  text << "rebuilt: " << YesNo(dir.Rebuilt);
  text.EndLine();
  text << "encrypted: " << YesNo(dir.IsEncrypted());
  text.EndLine();
  text << "sfx: " << YesNo(dir.IsSFXArchive());
  text.EndLine();
}

}  // namespace talu::zipread

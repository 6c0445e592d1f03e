// Archive items with real contents for the extraction tests: stored, deflated, traditionally
// encrypted or AES-encrypted entries for ArchiveBuilder, and a temporary output folder.
#pragma once

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "ArchiveBuilder.h"
#include "decode/ZipCrc32.h"
#include "decode/ZipCryptoTransform.h"
#include "decode/ZipTradCrypt.h"

namespace talu::zip::test {

inline std::uint32_t CrcOf(const Bytes& plain) {
  return ZipCrc32Of(plain.data(), plain.size());
}

inline TestEntry Stored(Bytes name, const Bytes& plain) {
  TestEntry e(std::move(name), plain);
  e.crc = CrcOf(plain);
  return e;
}

// Raw deflate data of `plain`, ended by `flush` (Z_FULL_FLUSH: a block that later ones may follow).
inline Bytes RawDeflate(const Bytes& plain, int level = 6, int flush = Z_FINISH,
                        int strategy = Z_DEFAULT_STRATEGY) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, strategy);
  Bytes out(deflateBound(&z, plain.size()) + 16, '\0');  // room for a flush's empty block
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, flush);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline TestEntry Deflated(Bytes name, const Bytes& plain) {
  TestEntry e(std::move(name), RawDeflate(plain));
  e.method = 8;
  e.crc = CrcOf(plain);
  e.uncompressedSize = static_cast<std::int64_t>(plain.size());
  return e;
}

// Traditional encryption of an entry's stored bytes, with the check byte the flags call for.
inline TestEntry Encrypted(TestEntry e, const std::string& password) {
  if (e.uncompressedSize < 0) e.uncompressedSize = static_cast<std::int64_t>(e.data.size());
  TZipKeys keys{{0x12345678u, 0x23456789u, 0x34567890u}};
  for (char c : password) ZipUpdateKeys(static_cast<std::uint8_t>(c), keys);
  Bytes header(11, 'h');
  header +=
      static_cast<char>(ZipExpectedCheckByte(e.flag | (e.dataDescriptor ? 8 : 0), e.time, e.crc));
  Bytes out;
  for (char c : header + e.data) {
    const auto plain = static_cast<std::uint8_t>(c);
    out += static_cast<char>(plain ^ ZipDecryptByte(keys));
    ZipUpdateKeys(plain, keys);
  }
  e.data = out;
  e.flag |= 1;
  return e;
}

// AES encryption (AE-2) of an entry's stored bytes with the writing side of the transform.
inline TestEntry AesEncrypted(TestEntry e, const std::string& password, int bits) {
  if (e.uncompressedSize < 0) e.uncompressedSize = static_cast<std::int64_t>(e.data.size());
  TDirItem item{};
  TAESCryptoTransform aes(bits, 2, e.method);
  aes.Initialize(Encryption, item);
  aes.GenerateKey(password);
  Bytes out;
  for (std::uint8_t b : aes.GetFileStorageStartBlock()) out += static_cast<char>(b);
  Bytes content = e.data;
  auto* bytes = reinterpret_cast<std::uint8_t*>(content.data());
  aes.EncryptBuffer(bytes, 0, static_cast<int>(content.size()), bytes, 0);
  out += content;
  for (std::uint8_t b : aes.GetFileStorageEndBlock()) out += static_cast<char>(b);
  Bytes field;
  for (std::uint8_t b : aes.GetExtraFieldData().data) field += static_cast<char>(b);
  e.centralExtra += ExtraBlock(0x9901, field);
  e.localExtra += ExtraBlock(0x9901, field);
  e.data = out;
  e.method = 99;
  e.flag |= 1;
  return e;
}

inline Bytes RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n, '\0');
  for (char& c : b) c = static_cast<char>(rng());
  return b;
}

// A fresh folder under the system's temp folder, removed with everything in it at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag) {
    path_ = std::filesystem::temp_directory_path() /
            ("talu-" + tag + "-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_ / "out");
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Root() const { return path_; }
  // The extraction base: a folder inside the root, so that escapes stay observable.
  std::filesystem::path Out() const { return path_ / "out"; }
  std::u16string OutText() const { return Out().u16string(); }

 private:
  std::filesystem::path path_;
};

inline Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace talu::zip::test

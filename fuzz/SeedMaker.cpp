// Writes the seed inputs of the fuzz targets that the project's own builders can make:
// archives with items of every kind (stored, deflate, traditional, AES, Zip64, a stub in front,
// Unicode names, hostile names), command lists for the name index and masks with names.
// Usage: talu_fuzz_seeds DIR  (writes DIR/archives, DIR/name_index, DIR/mask_match,
// DIR/split_inflate)
#include <cstdio>
#include <filesystem>
#include <vector>

#include "FuzzSupport.h"
#include "ItemMaker.h"

using namespace talu::zip;
using namespace talu::zip::test;
namespace fs = std::filesystem;

namespace {

const std::string kPassword(fuzz::kSeedPassword);

// A literal with its inner zero bytes.
template <std::size_t N>
Bytes Raw(const char (&text)[N]) {
  return Bytes(text, N - 1);
}

TestEntry Folder(Bytes name) {
  TestEntry e(std::move(name), "");
  e.crc = 0;
  e.externalAttr = 0x10;
  return e;
}

TestEntry WithUnicodePath(TestEntry e, const Bytes& utf8Name) {
  Bytes data("\x01");
  Put32(data, CrcOf(e.name));
  e.centralExtra += ExtraBlock(0x7075, data + utf8Name);
  return e;
}

TestEntry WithDescriptor(TestEntry e) {
  e.dataDescriptor = true;
  return e;
}

TestEntry WithZip64Sizes(TestEntry e) {
  e.zip64Sizes = true;
  return e;
}

std::vector<std::pair<const char*, Bytes>> Archives() {
  const Bytes text = "Talu fuzz seed text, repeated. Talu fuzz seed text, repeated.\n";
  const Bytes random = RandomBytes(3000, 7);
  ArchiveOptions zip64End;
  zip64End.zip64End = true;
  ArchiveOptions comment;
  comment.comment = "archive comment";
  const std::vector<TestEntry> plain{Stored("a.txt", text), Folder("dir/"),
                                     Deflated("dir/b.txt", text + text + text)};
  return {
      {"stored.zip", BuildArchive({Stored("a.txt", text), Stored("empty.txt", "")})},
      {"deflate.zip", BuildArchive({Deflated("text.txt", text), Deflated("random.bin", random)})},
      {"folders.zip", BuildArchive(plain, comment)},
      {"traditional.zip", BuildArchive({Encrypted(Stored("s.txt", text), kPassword),
                                        Encrypted(Deflated("d.txt", text), kPassword)})},
      {"traditional-dd.zip",
       BuildArchive({Encrypted(WithDescriptor(Deflated("d.txt", text)), kPassword)})},
      {"aes.zip", BuildArchive({AesEncrypted(Stored("a128.txt", text), kPassword, 128),
                                AesEncrypted(Deflated("a192.txt", text), kPassword, 192),
                                AesEncrypted(Deflated("a256.bin", random), kPassword, 256)})},
      {"zip64.zip",
       BuildArchive({WithZip64Sizes(Stored("big.txt", text)), Deflated("small.txt", text)},
                    zip64End)},
      {"stub.zip", BuildArchive(plain, WithStub("MZ stub in front of the archive", false))},
      {"stub-offsets.zip", BuildArchive(plain, WithStub("MZ stub, offsets count it", true))},
      {"unicode.zip", BuildArchive({WithUnicodePath(Stored("caf?.txt", text), "caf\xC3\xA9.txt"),
                                    Stored("Same.txt", "1"), Stored("same.TXT", "2")})},
      {"hostile-names.zip",
       BuildArchive({Stored("../up.txt", "x"), Stored("..\\up2.txt", "x"), Stored("/abs.txt", "x"),
                     Stored("C:\\drive.txt", "x"), Stored("\\\\server\\share\\unc.txt", "x"),
                     Stored("a/../../mixed.txt", "x"), Stored("dir/./b//c.txt", "x")})},
  };
}

// Name index commands: an operation byte, a name, a zero byte.
const std::vector<std::pair<const char*, Bytes>> kNameCommands{
    {"loading", Raw("\0dir/a.txt\0\0dir/B.txt\0\2c.txt\0\0DIR/A.TXT\0")},
    {"renames", Raw("\0x\0\0y\0\3Y\0\7z\0\0X\0")},
    {"collisions", Raw("\0\xC4\0\0\xE4\0\0\0\0abc\0\3ABC\0")},
};

// A flag byte, a mask, a zero byte, a name.
const std::vector<std::pair<const char*, Bytes>> kMasks{
    {"extension", Raw("\1*.txt\0dir/A.TXT")},    {"question", Raw("\0a?c*\0abcde")},
    {"no-extension", Raw("\1*.\0dir.x/readme")}, {"star-dot-star", Raw("\1*.*\0x")},
    {"trailing-stars", Raw("\0ab**\0ab")},
};

// A shape byte (see FuzzSplitInflate.cpp), then raw deflate data: text, stored blocks, and
// streams joined after a full flush.
std::vector<std::pair<const char*, Bytes>> SplitInflateSeeds() {
  Bytes text;
  for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i * 7919 % 1000) + " of a seed\n";
  const Bytes random = RandomBytes(20000, 11);
  return {
      {"text", "\x05" + RawDeflate(text, 6)},
      {"stored", "\x40" + RawDeflate(random, 6)},
      {"joined", "\x11" + RawDeflate(text, 1, Z_FULL_FLUSH) +
                     RawDeflate(random.substr(0, 4000), 9, Z_FULL_FLUSH) +
                     RawDeflate(text + text, 9)},
  };
}

void WriteAll(const fs::path& dir, const std::vector<std::pair<const char*, Bytes>>& seeds) {
  fs::create_directories(dir);
  for (const auto& [name, bytes] : seeds) WriteFile(dir / name, bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: talu_fuzz_seeds DIR\n");
    return 2;
  }
  const fs::path root = argv[1];
  WriteAll(root / "archives", Archives());
  WriteAll(root / "name_index", kNameCommands);
  WriteAll(root / "mask_match", kMasks);
  WriteAll(root / "split_inflate", SplitInflateSeeds());
  return 0;
}

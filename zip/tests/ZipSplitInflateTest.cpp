// The split decoder gives the bytes and the outcome of the single-stream inflaters on large
// generated items (text, random bytes, long runs, stored, fixed and flushed blocks mixed in),
// cut into many small parts so that every kind of block meets a part boundary, on damaged and
// cut-short copies, where it hands over to the single-stream inflater, and on the deflate data of
// the corpus archives.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "InflaterParity.h"
#include "ItemMaker.h"
#include "decode/ZipSplitInflate.h"
#include "stream/ZipMemoryStreams.h"

namespace talu::zip::test {
namespace {

std::string Outcome(TZipInflateCall::TStatus status, std::uint64_t size, std::uint32_t crc) {
  static const char* const kNames[] = {"more", "end", "corrupt"};
  return std::string(kNames[status]) + ", " + std::to_string(size) + " bytes, crc " +
         std::to_string(crc);
}

struct TDigest {
  std::uint64_t size = 0;
  std::uint32_t crc = 0xFFFFFFFFu;
  void Add(const std::uint8_t* data, std::size_t count) {
    crc = CRC32(crc, data, count);
    size += count;
  }
  std::string Outcome(TZipInflateCall::TStatus status) const {
    return test::Outcome(status, size, ~crc);
  }
};

std::string SingleStream(const Bytes& data, TZipInflaterKind kind) {
  auto inflate = ZipMakeRawInflate(kind);
  inflate->SetInput(reinterpret_cast<const std::uint8_t*>(data.data()),
                    static_cast<std::uint32_t>(data.size()), true);
  std::vector<std::uint8_t> block(1 << 20);
  TDigest digest;
  for (;;) {
    const TZipInflateCall call = inflate->Inflate(block.data(), 1 << 20);
    digest.Add(block.data(), call.produced);
    if (call.status != TZipInflateCall::kMore || call.produced == 0)
      return digest.Outcome(call.status);
  }
}

std::string Split(const Bytes& data, const TZipSplitOptions& options) {
  TDigest digest;
  TStringStream source(data);
  const TZipSplitEnd end = ZipSplitInflate(source, data.size(), options,
                                           [&digest](const std::uint8_t* bytes, std::size_t count) {
                                             digest.Add(bytes, count);
                                             return true;
                                           });
  static const TZipInflateCall::TStatus kStatus[] = {
      TZipInflateCall::kStreamEnd, TZipInflateCall::kCorrupt, TZipInflateCall::kMore};
  return end < TZipSplitEnd::kStopped ? digest.Outcome(kStatus[static_cast<int>(end)]) : "stopped";
}

// Parts of a few KiB of compressed data, so that items of a few MiB cross hundreds of them.
TZipSplitOptions SmallParts() {
  TZipSplitOptions options;
  options.partSymbols = 48 << 10;
  options.searchBytes = 24 << 10;
  options.minPartBytes = 2 << 10;
  options.segmentBytes = 160 << 10;
  options.helpers = 2;
  return options;
}

class TContents {
 public:
  explicit TContents(unsigned seed) : random_(seed) {}
  Bytes Text(std::size_t size) {
    static const char* const kWords[] = {"setup ", "archive ", "folder ", "the ",  "of ",
                                         "item ",  "window ",  "\n",      "data ", "= "};
    Bytes text;
    while (text.size() < size) {
      text += kWords[random_() % 10];
      if (random_() % 7 == 0) text += std::to_string(random_() % 100000);
    }
    text.resize(size);
    return text;
  }
  Bytes Random(std::size_t size) {
    Bytes bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random_());
    return bytes;
  }
  Bytes Runs(std::size_t size) {
    Bytes bytes;
    while (bytes.size() < size) bytes.append(1 + random_() % 100000, static_cast<char>(random_()));
    bytes.resize(size);
    return bytes;
  }
  // Segments of each kind, deflated with levels, strategies and flushes changing between them.
  Bytes Mixed(std::size_t segments, std::size_t segmentSize, Bytes& plain) {
    static const int kLevels[] = {0, 1, 6, 9};
    static const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE};
    static const int kFlushes[] = {Z_NO_FLUSH, Z_SYNC_FLUSH, Z_FULL_FLUSH};
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out;
    std::vector<char> buffer(1 << 16);
    auto run = [&](const Bytes& in, int flush) {
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
      z.avail_in = static_cast<uInt>(in.size());
      do {
        z.next_out = reinterpret_cast<Bytef*>(buffer.data());
        z.avail_out = static_cast<uInt>(buffer.size());
        deflate(&z, flush);
        out.append(buffer.data(), buffer.size() - z.avail_out);
      } while (z.avail_out == 0 || z.avail_in > 0);
    };
    for (std::size_t i = 0; i < segments; ++i) {
      const std::size_t kind = random_() % 3;
      const Bytes piece = kind == 0   ? Text(segmentSize)
                          : kind == 1 ? Random(segmentSize / 4)
                                      : Runs(segmentSize);
      run({}, Z_BLOCK);
      deflateParams(&z, kLevels[random_() % 4], kStrategies[random_() % 4]);
      run(piece, kFlushes[random_() % 3]);
      plain += piece;
    }
    run({}, Z_FINISH);
    deflateEnd(&z);
    return out;
  }

 private:
  std::mt19937 random_;
};

std::vector<TZipInflaterKind> KindsBuiltIn() {
  std::vector<TZipInflaterKind> kinds{TZipInflaterKind::kZlib};
  if (ZipInflaterBuiltIn(TZipInflaterKind::kIsal)) kinds.push_back(TZipInflaterKind::kIsal);
  return kinds;
}

TEST(SplitInflate, LargeItemsGiveTheSingleStreamBytes) {
  TContents contents(20261209);
  Bytes mixedPlain;
  const Bytes mixed = contents.Mixed(40, 256 << 10, mixedPlain);
  const struct {
    const char* name;
    Bytes data;
  } kCases[] = {
      {"text", RawDeflate(contents.Text(6 << 20))},
      {"random", RawDeflate(contents.Random(3 << 20))},
      {"long runs", RawDeflate(contents.Runs(24 << 20), 9)},
      {"mixed", mixed},
      {"bytes after the stream", mixed + contents.Random(1000)},
      {"cut short", mixed.substr(0, mixed.size() * 2 / 3)},
      {"empty", RawDeflate({})},
  };
  TZipSplitOptions defaults;
  defaults.helpers = 2;
  for (const auto& c : kCases) {
    const std::string small = Split(c.data, SmallParts()), large = Split(c.data, defaults);
    for (TZipInflaterKind kind : KindsBuiltIn()) {
      const std::string expected = SingleStream(c.data, kind);
      EXPECT_EQ(small, expected) << c.name << ", small parts";
      EXPECT_EQ(large, expected) << c.name;
    }
  }
  EXPECT_EQ(SingleStream(mixed, TZipInflaterKind::kZlib),
            Outcome(TZipInflateCall::kStreamEnd, mixedPlain.size(), CrcOf(mixedPlain)));
}

// Every damage hands over to the single-stream inflater with nothing delivered twice or lost;
// through the engine, an item split into tiny parts fails with the outcome and the bytes written
// of one inflated as one stream, the damage megabytes in included.
TEST(SplitInflate, DamagedItemsFailAsTheSingleStreamFails) {
  TContents contents(7);
  Bytes plain;
  const Bytes mixed = contents.Mixed(12, 96 << 10, plain);
  std::mt19937 random(11);
  for (int i = 0; i < 160; ++i) {
    Bytes damaged = mixed;
    const std::size_t at = random() % damaged.size();
    damaged[at] = static_cast<char>(damaged[at] ^ (1 + random() % 255));
    if (i % 16 == 0) damaged.resize(at);
    const std::string split = Split(damaged, SmallParts());
    for (TZipInflaterKind kind : KindsBuiltIn())
      EXPECT_EQ(split, SingleStream(damaged, kind))
          << "byte " << at << (i % 16 == 0 ? " (cut there)" : "") << ", " << ZipInflaterName(kind);
  }
  Bytes large;
  TestEntry item("large", contents.Mixed(48, 128 << 10, large));
  item.method = 8;
  item.crc = CrcOf(large);
  item.uncompressedSize = static_cast<std::int64_t>(large.size());
  for (int i = 0; i < 12; ++i) {
    TestEntry damaged = item;
    const std::size_t at = damaged.data.size() / 3 + random() % (damaged.data.size() * 2 / 3);
    damaged.data[at] = static_cast<char>(damaged.data[at] ^ (1 + random() % 255));
    if (i % 4 == 0) damaged.uncompressedSize = damaged.uncompressedSize / 2;  // a lie
    EXPECT_EQ(InflaterDifference(BuildArchive({damaged})), "") << "byte " << at;
  }
}

// The data after each deflated, unencrypted local header of the first items of every corpus
// file that states sizes (of at most 8 MiB of output): its data and 64 bytes more (what follows
// the stream is left alone). A signature that is no header only gives other data.
TEST(SplitInflate, CorpusItemsGiveTheSingleStreamBytes) {
  const char* corpus = std::getenv("TALU_CORPUS_DIR");
  if (!corpus || !std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus";
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file() || entry.file_size() > (16 << 20)) continue;
    const Bytes file = ReadFile(entry.path());
    auto at = [&file](std::size_t i) { return static_cast<std::uint8_t>(file[i]); };
    int items = 0;
    for (std::size_t i = file.find("PK\3\4");
         i != Bytes::npos && i + 30 <= file.size() && items < 32; i = file.find("PK\3\4", i + 4)) {
      if ((at(i + 6) & 1) != 0 || at(i + 8) != 8 || at(i + 9) != 0) continue;
      const std::size_t data =
          i + 30 + (at(i + 26) | at(i + 27) << 8) + (at(i + 28) | at(i + 29) << 8);
      if (data > file.size()) continue;
      auto le32 = [&at](std::size_t p) {
        return at(p) | at(p + 1) << 8 | at(p + 2) << 16 |
               static_cast<std::uint32_t>(at(p + 3)) << 24;
      };
      if (le32(i + 18) == 0 || le32(i + 22) > (8u << 20)) continue;
      const Bytes item = file.substr(data, std::size_t{le32(i + 18)} + 64);
      ++items;
      ++compared;
      const std::string split = Split(item, SmallParts());
      for (TZipInflaterKind kind : KindsBuiltIn())
        EXPECT_EQ(split, SingleStream(item, kind))
            << entry.path() << " at " << data << ", " << ZipInflaterName(kind);
    }
  }
  EXPECT_GT(compared, 100);
}

}  // namespace
}  // namespace talu::zip::test

// The two inflaters of the build give the same outcome and the same bytes, item by item, on
// the archives of the corpus (MANIFEST.tsv lists them with their passwords), and the same bytes
// and status, call by call, on raw deflate streams damaged in their data. Damaged archives and
// the fuzz regression inputs are compared by their own tests (InflaterParity.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "InflaterParity.h"
#include "ItemMaker.h"

namespace talu::zip::test {
namespace {

namespace fs = std::filesystem;

using ManifestRow = std::map<std::string, std::string>;  // column heading -> cell

std::vector<ManifestRow> ManifestRows(const fs::path& manifest) {
  std::ifstream in(manifest);
  std::vector<std::string> headings;
  std::vector<ManifestRow> rows;
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, '\t');) cells.push_back(cell);
    if (headings.empty()) {
      headings = cells;
      continue;
    }
    ManifestRow& named = rows.emplace_back();
    for (std::size_t i = 0; i < std::min(cells.size(), headings.size()); ++i)
      named[headings[i]] = cells[i];
  }
  return rows;
}

// Every archive but those of items of several GiB or of a hundred thousand items, which take
// a minute (more under the sanitizers) to say nothing the smaller ones do not.
bool WorthComparing(ManifestRow& row) {
  const std::string& tags = row["tags"];
  return tags.find("large-item") == std::string::npos &&
         tags.find("many-entries") == std::string::npos;
}

TEST(InflaterParity, CorpusArchivesGiveTheSameItemsThroughBothInflaters) {
  if (!ZipInflaterBuiltIn(TZipInflaterKind::kIsal)) GTEST_SKIP() << "only zlib is built in";
  const char* corpus = std::getenv("TALU_CORPUS_DIR");
  if (!corpus || !fs::exists(fs::path(corpus) / "MANIFEST.tsv")) GTEST_SKIP() << "no corpus";
  int compared = 0;
  for (ManifestRow& row : ManifestRows(fs::path(corpus) / "MANIFEST.tsv")) {
    if (!WorthComparing(row)) continue;
    ++compared;
    EXPECT_EQ(InflaterDifference(ReadFile(fs::path(corpus) / row["path"]), row["password"]), "")
        << row["path"];
  }
  EXPECT_GT(compared, 100);
}

// The status and the bytes (their count and CRC-32) of a raw deflate stream given in pieces of
// `piece` bytes.
std::string RawOutcome(const Bytes& stream, std::size_t piece, TZipInflaterKind kind) {
  auto inflate = ZipMakeRawInflate(kind);
  std::vector<std::uint8_t> block(4096);
  std::uint32_t crc = 0xFFFFFFFFu;
  std::uint64_t size = 0;
  const auto* data = reinterpret_cast<const std::uint8_t*>(stream.data());
  for (std::size_t given = 0;;) {
    const std::size_t take = std::min(piece, stream.size() - given);
    given += take;
    inflate->SetInput(data + given - take, static_cast<std::uint32_t>(take),
                      given == stream.size());
    for (;;) {
      const TZipInflateCall call = inflate->Inflate(block.data(), 4096);
      crc = CRC32(crc, block.data(), call.produced);
      size += call.produced;
      if (call.status != TZipInflateCall::kMore || (given == stream.size() && !call.produced))
        return std::to_string(call.status) + ", " + std::to_string(size) + " bytes, crc " +
               std::to_string(crc);
      if (call.produced < 4096 && inflate->InputLeft() == 0) break;
    }
  }
}

// Streams of zlib's levels and strategies (codes of their own, fixed codes, stored blocks),
// each damaged many times over: changed bytes, flipped bits, cut short; given in small pieces
// and whole (one seed of fixed codes runs far past the first 32 KiB of output, and the last
// seed's pieces are large enough to be walked on a helper thread). ISA-L
// alone would decode codes that zlib refuses and stop short of the last symbols of cut data.
TEST(InflaterParity, DamagedDeflateDataGiveTheSameBytesThroughBothInflaters) {
  if (!ZipInflaterBuiltIn(TZipInflaterKind::kIsal)) GTEST_SKIP() << "only zlib is built in";
  std::mt19937 random(20261209);
  auto text = [&random](std::size_t size) {
    static const char* const kWords[] = {"deflate ", "block ", "the ", "of ", "archive\n", "a"};
    Bytes out;
    while (out.size() < size) out += random() % 7 ? kWords[random() % 6] : Bytes(1, char(random()));
    return out;
  };
  std::vector<Bytes> seeds;
  for (int level : {0, 1, 6, 9})
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY, Z_RLE})
      seeds.push_back(RawDeflate(text(600 + random() % 40000), level, Z_FINISH, strategy));
  seeds.push_back(RawDeflate(text(200 << 10), 6, Z_FINISH, Z_FIXED));
  seeds.push_back(RawDeflate(text(3 << 20)));
  int compared = 0;
  for (const Bytes& seed : seeds) {
    for (int variant = 0; variant < (seed.size() > (1 << 19) ? 40 : 200); ++variant) {
      Bytes damaged = seed;
      for (int changes = 1 + random() % 3; changes > 0; --changes) {
        char& byte = damaged[random() % damaged.size()];
        byte = random() % 2 ? char(random()) : char(byte ^ (1 << random() % 8));
      }
      if (variant % 3 == 0) damaged.resize(random() % damaged.size());
      const std::size_t piece = variant % 2 ? damaged.size() + 1 : 1 + random() % 700;
      ++compared;
      ASSERT_EQ(RawOutcome(damaged, piece, TZipInflaterKind::kIsal),
                RawOutcome(damaged, piece, TZipInflaterKind::kZlib))
          << "seed " << (&seed - seeds.data()) << ", variant " << variant;
    }
  }
  EXPECT_EQ(compared, 3440);
}

}  // namespace
}  // namespace talu::zip::test

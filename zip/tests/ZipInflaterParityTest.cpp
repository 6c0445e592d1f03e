// The two inflaters of the build give the same outcome and the same bytes, item by item, on
// the archives of the corpus (MANIFEST.tsv lists them with their passwords). Damaged copies and the
// fuzz regression inputs are compared by their own tests (InflaterParity.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

}  // namespace
}  // namespace talu::zip::test

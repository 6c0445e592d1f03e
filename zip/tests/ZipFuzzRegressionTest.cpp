// Every input kept in fuzz/regressions/ runs through the entry point of the fuzz target that
// found it, in the native and the sanitizer builds, so that a mended fault stays mended. The
// targets' own sources are linked in, each with its entry point renamed (see CMakeLists.txt).
// An input is a text file "TARGET-what.hex": its bytes as hex digits; white space and the rest
// of a line from "#" are skipped. A crash, a sanitizer report or a failed check of the target
// ends the run. Inputs that hold an archive also go through both inflaters of the build, which
// must agree item by item.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "InflaterParity.h"

using FuzzEntry = int (*)(const std::uint8_t* data, std::size_t size);

extern "C" int FuzzOpenOneInput(const std::uint8_t*, std::size_t);
extern "C" int FuzzTestItemsOneInput(const std::uint8_t*, std::size_t);
extern "C" int FuzzExtractOneInput(const std::uint8_t*, std::size_t);
extern "C" int FuzzNameIndexOneInput(const std::uint8_t*, std::size_t);
extern "C" int FuzzMaskMatchOneInput(const std::uint8_t*, std::size_t);
extern "C" int FuzzSplitInflateOneInput(const std::uint8_t*, std::size_t);
extern "C" int FuzzInflatersOneInput(const std::uint8_t*, std::size_t);

namespace {

struct FuzzTarget {
  std::string_view name;  // as fuzz/run-fuzz.sh names it
  FuzzEntry entry;
  int archiveFrom;  // where the archive starts in an input (after option bytes), -1: none
};

constexpr FuzzTarget kTargets[] = {
    {"open", FuzzOpenOneInput, 0},
    {"test_items", FuzzTestItemsOneInput, 1},
    {"extract", FuzzExtractOneInput, 0},
    {"name_index", FuzzNameIndexOneInput, -1},
    {"mask_match", FuzzMaskMatchOneInput, -1},
    {"split_inflate", FuzzSplitInflateOneInput, -1},
    {"inflaters", FuzzInflatersOneInput, -1},
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a ".hex" input; false when it holds anything but digits, white space and
// comments, or an odd number of digits.
bool ReadHexInput(const std::filesystem::path& file, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(file);
  std::string line, digits;
  while (std::getline(in, line)) {
    for (const char c : line.substr(0, line.find('#'))) {
      if (HexDigit(c) >= 0) {
        digits += c;
      } else if (c != ' ' && c != '\t' && c != '\r') {
        return false;
      }
    }
  }
  if (digits.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
  }
  return true;
}

const FuzzTarget* TargetOf(const std::string& fileName) {
  const auto found = std::find_if(std::begin(kTargets), std::end(kTargets), [&](const auto& t) {
    return fileName.starts_with(std::string(t.name) + "-");
  });
  return found == std::end(kTargets) ? nullptr : found;
}

TEST(FuzzRegression, EveryKeptInputRunsCleanlyThroughItsTarget) {
  for (const auto& entry : std::filesystem::directory_iterator(TALU_FUZZ_REGRESSIONS)) {
    if (entry.path().extension() != ".hex") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const FuzzTarget* target = TargetOf(name);
    ASSERT_NE(target, nullptr) << "the name starts with no fuzz target";
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadHexInput(entry.path(), bytes)) << "not hex digits";
    EXPECT_EQ(target->entry(bytes.data(), bytes.size()), 0);
    if (target->archiveFrom >= 0 && bytes.size() > static_cast<std::size_t>(target->archiveFrom)) {
      const std::string archive(bytes.begin() + target->archiveFrom, bytes.end());
      EXPECT_EQ(
          talu::zip::test::InflaterDifference(archive, std::string(talu::zip::fuzz::kSeedPassword)),
          "");
    }
  }
}

}  // namespace

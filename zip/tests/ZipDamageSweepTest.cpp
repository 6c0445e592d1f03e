// Damaged copies of archives that the peer tools made (make_peer_archives.py, run first by
// ctest): every cut near the records and a sample of cuts elsewhere, and changed bytes at every
// byte of every header. Each copy, opened with and without OpenCorruptedArchives and with every
// item tested under the right password, must end in an outcome of the engine (its exception or
// a failure reported per item) within bounded time and memory, and the same outcome and bytes,
// item by item, through both inflaters of the build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

#include "ArchiveProbe.h"
#include "CaseLimits.h"
#include "InflaterParity.h"
#include "ItemMaker.h"
#include "RecordMap.h"

namespace talu::zip::test {
namespace {

namespace fs = std::filesystem;

constexpr double kCaseSeconds = 2.0;
constexpr std::size_t kCaseBytes = 6u << 20;  // two 1 MiB work buffers and the directory, amply
constexpr std::size_t kCutsElsewhere = 64;    // sampled cuts inside item data
constexpr unsigned kSeed = 20261208;

struct DamagedCopy {
  std::string what;
  Bytes bytes;
};

bool NearARecord(std::size_t length, const std::vector<ByteSpan>& records) {
  return std::any_of(records.begin(), records.end(), [&](const ByteSpan& r) {
    return length + 2 >= r.begin && length <= r.end + 2;
  });
}

// Every length near a record, and a fixed sample of the lengths elsewhere.
std::vector<DamagedCopy> Cuts(const Bytes& archive, const std::vector<ByteSpan>& records) {
  std::vector<DamagedCopy> copies;
  std::vector<std::size_t> elsewhere;
  for (std::size_t n = 0; n < archive.size(); ++n) {
    if (NearARecord(n, records))
      copies.push_back({"cut at " + std::to_string(n), archive.substr(0, n)});
    else
      elsewhere.push_back(n);
  }
  std::shuffle(elsewhere.begin(), elsewhere.end(), std::mt19937(kSeed));
  elsewhere.resize(std::min(elsewhere.size(), kCutsElsewhere));
  for (std::size_t n : elsewhere)
    copies.push_back({"cut at " + std::to_string(n), archive.substr(0, n)});
  return copies;
}

// Each header byte set to 0x00, 0xFF, one more, and with its high bit flipped.
std::vector<DamagedCopy> ChangedBytes(const Bytes& archive, const std::vector<ByteSpan>& records) {
  std::vector<DamagedCopy> copies;
  for (const ByteSpan& record : records) {
    for (std::size_t at = record.begin; at < record.end; ++at) {
      const auto original = static_cast<unsigned char>(archive[at]);
      std::vector<unsigned char> values{0x00, 0xFF, static_cast<unsigned char>(original + 1),
                                        static_cast<unsigned char>(original ^ 0x80)};
      std::sort(values.begin(), values.end());
      values.erase(std::unique(values.begin(), values.end()), values.end());
      for (unsigned char value : values) {
        if (value == original) continue;
        Bytes damaged = archive;
        damaged[at] = static_cast<char>(value);
        copies.push_back({"byte " + std::to_string(at) + " := " + std::to_string(value), damaged});
      }
    }
  }
  return copies;
}

struct SweepTally {
  std::map<std::string, int> outcomes;
  double slowest = 0;
  std::size_t mostBytes = 0;
};

void RunCopy(const DamagedCopy& copy, const std::string& password, SweepTally& tally) {
  for (bool openCorrupted : {true, false}) {
    std::string outcome;
    const CaseCost cost = MeasureCase([&] {
      try {
        outcome = OpenAndTest(copy.bytes, openCorrupted, password);
      } catch (const std::exception& e) {
        outcome = std::string("another exception: ") + e.what();
      } catch (...) {
        outcome = "another exception";
      }
    });
    if (outcome.starts_with("another")) ADD_FAILURE() << copy.what << ": " << outcome;
    ++tally.outcomes[outcome.substr(outcome.find_first_not_of("0123456789 "))];
    tally.slowest = std::max(tally.slowest, cost.seconds);
    tally.mostBytes = std::max(tally.mostBytes, cost.peakBytes);
    EXPECT_LT(cost.seconds, kCaseSeconds) << copy.what;
    EXPECT_LT(cost.peakBytes, kCaseBytes) << copy.what;
  }
  EXPECT_EQ(InflaterDifference(copy.bytes, password), "") << copy.what;
}

fs::path PeerFolder() {
  const char* folder = std::getenv("TALU_PEER_ARCHIVES");
  return folder ? fs::path(folder) : fs::path("peer-archives");
}

class DamageSweep : public testing::TestWithParam<const char*> {};

TEST_P(DamageSweep, EveryDamagedCopyEndsInAnOutcomeOfTheEngine) {
  const fs::path base = PeerFolder() / GetParam();
  if (fs::exists(base.string() + ".skip"))
    GTEST_SKIP() << GetParam() << " skipped: " << ReadFile(base.string() + ".skip");
  const Bytes archive = ReadFile(base.string() + ".zip");
  ASSERT_FALSE(archive.empty()) << base << ".zip is missing: run make_peer_archives.py";
  const std::string password = ReadFile(base.string() + ".password");
  ASSERT_EQ(OpenAndTest(archive, false, password), "all items passed");

  const std::vector<ByteSpan> records = MapRecords(archive);
  std::vector<DamagedCopy> copies = Cuts(archive, records);
  const std::size_t cuts = copies.size();
  for (DamagedCopy& changed : ChangedBytes(archive, records)) copies.push_back(std::move(changed));

  SweepTally tally;
  HangWatchdog watchdog(std::chrono::seconds(60));
  for (const DamagedCopy& copy : copies) {
    watchdog.Start(std::string(GetParam()) + ", " + copy.what);
    RunCopy(copy, password, tally);
  }
  std::printf(
      "%s: %zu damaged archives (%zu cuts, %zu changed bytes), slowest case %.1f ms, "
      "most memory %zu KiB\n",
      GetParam(), copies.size(), cuts, copies.size() - cuts, tally.slowest * 1000,
      tally.mostBytes >> 10);
  for (const auto& [outcome, count] : tally.outcomes)
    std::printf("  %6d  %s\n", count, outcome.c_str());
}

INSTANTIATE_TEST_SUITE_P(PeerArchives, DamageSweep,
                         testing::Values("infozip-stored", "infozip-deflate", "infozip-traditional",
                                         "7z-aes256", "python-zip64", "infozip-stub"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace talu::zip::test

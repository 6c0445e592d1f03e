// Items landing as files: folders, contents, dates, the overwrite policy, failed items, and
// names chosen by the OnExtractFile handler. Hostile item names: ZipHostileTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "ItemMaker.h"
#include "ScriptedPrompts.h"
#include "TestArchive.h"
#include "platform/ZipPlatform.h"
#include "stream/ZipFileStream.h"
#include "stream/ZipMemoryStreams.h"
#include "text/ZipUtf.h"

namespace talu::zip::test {
namespace {

namespace fs = std::filesystem;

// Opens archive bytes from a file (so that batches of several items decode ahead), extracts
// under a temp folder, and records failures by native error.
struct Extraction {
  explicit Extraction(const Bytes& bytes) : temp("extract") {
    WriteFile(temp.Root() / "a.zip", bytes);
    archiver.SetFileName((temp.Root() / "a.zip").u16string());
    archiver.OpenArchive(platform::kModeReadDenyNone);
    zip().SetBaseDir(temp.OutText());
    zip().OnProcessFileFailure = [this](TZipBaseArchiver&, const std::u16string&,
                                        TZipProcessOperation, std::int32_t native, std::int32_t,
                                        const std::u16string&, TZipAction& action) {
      failures.push_back(native);
      action = failureAnswer;
    };
  }
  TZipArchiver& zip() { return archiver; }
  fs::path Out(const char* relative) const { return temp.Out() / fs::path(relative); }

  TempFolder temp;
  TZipArchiver archiver;
  std::vector<int> failures;
  TZipAction failureAnswer = fxaIgnore;
};

TEST(ExtractToDisk, FoldersContentsAndDates) {
  const Bytes text(100000, 'x');
  TestEntry folder = Stored("empty/", "");
  folder.externalAttr = 0x10;
  Extraction x(BuildArchive({Deflated("dir/sub/a.txt", text), Stored("b.txt", "bee"), folder}));
  x.zip().ExtractFiles(u"*.*");
  EXPECT_TRUE(x.failures.empty());
  EXPECT_EQ(ReadFile(x.Out("dir/sub/a.txt")), text);
  EXPECT_EQ(ReadFile(x.Out("b.txt")), "bee");
  EXPECT_TRUE(fs::is_directory(x.Out("empty")));
  const std::u16string b = (x.temp.Out() / "b.txt").u16string();
  EXPECT_EQ(platform::FileAgeDos(b), 0x58216000);
}

TEST(ExtractToDisk, WithoutCreateDirsEverythingLandsInTheBase) {
  Extraction x(BuildArchive({Stored("dir/sub/a.txt", "a")}));
  x.zip().Options().CreateDirs = false;
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(ReadFile(x.Out("a.txt")), "a");
  EXPECT_FALSE(fs::exists(x.Out("dir")));
}

TEST(ExtractToDisk, OverwriteModes) {
  Extraction x(BuildArchive({Stored("a.txt", "new"), Stored("b.txt", "new")}));
  const auto reset = [&] {
    WriteFile(x.Out("a.txt"), "old");
    WriteFile(x.Out("b.txt"), "old");
  };
  reset();
  x.zip().Options().OverwriteMode = omNever;
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(ReadFile(x.Out("a.txt")), "old");

  // "No to all" answers the first question and keeps both files; the mode stays omNever.
  ScriptedPrompts prompts;
  prompts.Answer(TZipButton::NoToAll);
  x.zip().Options().OverwriteMode = omPrompt;
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(prompts.Asked().size(), 1u);
  EXPECT_EQ(x.zip().Options().OverwriteMode, omNever);
  EXPECT_EQ(ReadFile(x.Out("b.txt")), "old");

  prompts.Answer(TZipButton::YesToAll);
  x.zip().Options().OverwriteMode = omPrompt;
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(prompts.Asked().size(), 2u);
  EXPECT_EQ(x.zip().Options().OverwriteMode, omAlways);
  EXPECT_EQ(ReadFile(x.Out("a.txt")), "new");
  EXPECT_EQ(ReadFile(x.Out("b.txt")), "new");
}

TEST(ExtractToDisk, EqualDatesAreNeitherNewerNorOlder) {
  Extraction x(BuildArchive({Stored("a.txt", "new")}));
  x.zip().ExtractFiles(u"*.*");  // the file now carries the item's own date
  WriteFile(x.Out("a.txt"), "old");
  const std::u16string a = (x.temp.Out() / "a.txt").u16string();
  TFileStream(a, platform::kModeReadWriteDenyWrite).SetLastWriteDos(0x5821, 0x6000);
  for (TZipOverwriteMode mode : {omIfNewer, omIfOlder}) {
    x.zip().Options().OverwriteMode = mode;
    x.zip().ExtractFiles(u"*.*");
    EXPECT_EQ(ReadFile(x.Out("a.txt")), "old");
  }
}

TEST(ExtractToDisk, CorruptedItemFailsAndLeavesNoFileUnlessAsked) {
  TestEntry bad = Stored("bad.txt", "payload");
  bad.crc ^= 1;
  Extraction x(BuildArchive({bad, Stored("good.txt", "fine")}));
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(x.failures, std::vector<int>{kNeItemFailed});
  EXPECT_FALSE(fs::exists(x.Out("bad.txt")));
  EXPECT_EQ(ReadFile(x.Out("good.txt")), "fine");

  x.zip().SetExtractCorruptedFiles(true);
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(ReadFile(x.Out("bad.txt")), "payload");
}

TEST(ExtractToDisk, FailureAnswersRetryIgnoreAndAbort) {
  TestEntry bad = Stored("bad.txt", "payload");
  bad.crc ^= 1;
  Extraction x(BuildArchive({bad, bad, Stored("last.txt", "z")}));
  x.failureAnswer = fxaAbort;
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(x.failures.size(), 1u);
  EXPECT_FALSE(fs::exists(x.Out("last.txt")));

  x.failures.clear();
  x.failureAnswer = fxaIgnore;
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(x.failures.size(), 2u);
  EXPECT_TRUE(fs::exists(x.Out("last.txt")));

  // The default question: Retry runs the item again, then Ignore moves on.
  Extraction d(BuildArchive({bad}));
  d.zip().OnProcessFileFailure = nullptr;
  ScriptedPrompts prompts;
  prompts.Answer(TZipButton::Retry);
  prompts.Answer(TZipButton::Ignore);
  d.zip().ExtractFiles(u"*.*");
  ASSERT_EQ(prompts.Asked().size(), 2u);
  EXPECT_EQ(prompts.Asked()[0].text,
            u"Invalid size or check sum of file or unsupported compression format - Native "
            u"error: 00008. File processing error, possibly disk is full");
  EXPECT_EQ(prompts.Asked()[0].buttons, kAbortRetryIgnore);
}

// Items decoded ahead land only at their turn: a cancel at item k leaves exactly the items
// before it.
TEST(ExtractToDisk, NothingLandsPastACancel) {
  std::vector<TestEntry> items;
  for (int i = 0; i < 40; ++i) {
    const std::string name = std::to_string(i) + ".txt";
    items.push_back(i % 2 ? Stored(name, name) : Deflated(name, Bytes(1000 + i, 'd')));
  }
  Extraction x(BuildArchive(items));
  x.zip().OnFileProgress = [](TZipBaseArchiver&, const std::u16string& name, double,
                              TZipProcessOperation, TZipProgressPhase,
                              bool& cancel) { cancel = name == u"25.txt"; };
  x.zip().ExtractFiles(u"*.*");
  EXPECT_TRUE(x.zip().Cancelled());
  std::set<std::string> landed, expected;
  for (const fs::directory_entry& entry : fs::directory_iterator(x.temp.Out()))
    landed.insert(entry.path().filename().string());
  for (int i = 0; i < 25; ++i) expected.insert(std::to_string(i) + ".txt");
  EXPECT_EQ(landed, expected);
  EXPECT_EQ(ReadFile(x.Out("23.txt")), "23.txt");
  EXPECT_EQ(ReadFile(x.Out("24.txt")), Bytes(1024, 'd'));
}

// What a test batch reports, event by event: progress values per item and failures.
std::vector<std::string> TestReport(TZipArchiver& zip) {
  std::vector<std::string> report;
  zip.OnFileProgress = [&](TZipBaseArchiver&, const std::u16string& name, double percent,
                           TZipProcessOperation, TZipProgressPhase phase, bool&) {
    report.push_back(Utf16ToUtf8(name) + " " + std::to_string(percent) + " " +
                     std::to_string(phase));
  };
  zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const std::u16string& name,
                                 TZipProcessOperation, std::int32_t native, std::int32_t,
                                 const std::u16string&, TZipAction& action) {
    report.push_back(Utf16ToUtf8(name) + " failed " + std::to_string(native));
    action = fxaIgnore;
  };
  zip.TestFiles(u"*.*");
  return report;
}

// A test decodes items of any size ahead (from the archive's file) without keeping their bytes,
// large ones read as they are decoded: it reports the same events as the ordinary way (from a
// caller's stream, never decoded ahead), damaged and lying items included.
TEST(TestAhead, ReportsWhatTheOrdinaryWayReports) {
  const Bytes big = RandomBytes(600000, 1) + Bytes(2500000, 'z') + RandomBytes(900000, 2);
  TestEntry badCrc = Deflated("bad-crc.bin", big);
  badCrc.crc ^= 1;
  TestEntry tooLong = Deflated("too-long.bin", big);
  tooLong.uncompressedSize = 3000000;
  TestEntry cut = Deflated("cut.bin", big);
  cut.data.resize(cut.data.size() / 2);
  std::vector<TestEntry> items{Deflated("big.bin", big), Stored("big-stored.bin", big), badCrc,
                               tooLong, cut};
  for (int i = 0; i < 20; ++i)
    items.push_back(Deflated(std::to_string(i) + ".txt", Bytes(3000 + i * 5000, 'a' + i)));
  const Bytes archive = BuildArchive(items);

  TStringStream stream(archive);
  TZipArchiver ordinary;
  ordinary.OpenArchive(stream, false);
  const std::vector<std::string> expected = TestReport(ordinary);
  Extraction ahead(archive);
  EXPECT_EQ(TestReport(ahead.zip()), expected);
  EXPECT_EQ(std::count_if(expected.begin(), expected.end(),
                          [](const std::string& e) { return e.find("failed") != e.npos; }),
            3);
}

TEST(ExtractToDisk, AHandlersAbsoluteNameIsHonoured) {
  Extraction x(BuildArchive({Stored("a.txt", "moved")}));
  const fs::path elsewhere = x.temp.Root() / "elsewhere.txt";
  x.zip().OnExtractFile = [&](TZipBaseArchiver&, std::u16string& name, std::uint32_t&,
                              const std::string&) {
    EXPECT_EQ(name, u"a.txt");
    name = elsewhere.u16string();
  };
  x.zip().ExtractFiles(u"*.*");
  EXPECT_EQ(ReadFile(elsewhere), "moved");
}

}  // namespace
}  // namespace talu::zip::test

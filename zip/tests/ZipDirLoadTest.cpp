#include <gtest/gtest.h>

#include "ArchiveProbe.h"
#include "ItemMaker.h"
#include "TestArchive.h"
#include "ZipConst.h"
#include "decode/ZipCrc32.h"

namespace talu::zip {
namespace {

using test::ArchiveOptions;
using test::BuildArchive;
using test::Bytes;
using test::ExtraBlock;
using test::OpenBytes;
using test::TestEntry;

std::vector<TestEntry> FilesAndFolder() {
  TestEntry folder{"dir/", ""};
  folder.externalAttr = 0x10;
  return {{"a.txt", "alpha"}, folder, {"dir/b.txt", "bravo!"}};
}

TEST(ZipDirLoad, StubWithOffsetsFromTheArchiveStartIsAppliedToFilesOnly) {
  const Bytes plain = BuildArchive(FilesAndFolder());
  const auto opened = OpenBytes(BuildArchive(FilesAndFolder(), test::WithStub(Bytes(1000, 'S'))));
  const auto reference = OpenBytes(plain);
  EXPECT_EQ(opened->Dir().StubSize, 1000);
  EXPECT_EQ(opened->Item(0).LocalHeaderOffset(), 1000u);
  EXPECT_EQ(opened->Item(1).LocalHeaderOffset(), reference->Item(1).LocalHeaderOffset());
  EXPECT_EQ(opened->Item(2).LocalHeaderOffset(), reference->Item(2).LocalHeaderOffset() + 1000);
  EXPECT_TRUE(opened->Dir().IsSFXArchive());
}

TEST(ZipDirLoad, StubWithOffsetsFromTheFileStartKeepsThem) {
  const auto opened =
      OpenBytes(BuildArchive(FilesAndFolder(), test::WithStub(Bytes(1000, 'S'), true)));
  EXPECT_EQ(opened->Dir().StubSize, 1000);
  EXPECT_EQ(opened->Item(0).LocalHeaderOffset(), 1000u);
  EXPECT_EQ(opened->Item(2).LocalHeaderOffset(), 1000u + 30 + 5 + 5 + 30 + 4);
}

TEST(ZipDirLoad, LongestCommentStillFindsTheEndRecord) {
  ArchiveOptions options;
  options.comment = Bytes(65535, 'c');
  const auto opened = OpenBytes(BuildArchive(FilesAndFolder(), options));
  EXPECT_EQ(opened->zip.Comment().size(), 65535u);
  EXPECT_EQ(opened->Dir().CDir.Count(), 3);
  EXPECT_FALSE(opened->Dir().Rebuilt);
}

TEST(ZipDirLoad, AnEndRecordThatFailsItsChecksIsSkipped) {
  // A fake end record in the comment whose directory would be larger than what precedes it.
  Bytes fake;
  test::Put32(fake, 0x06054B50);
  test::Put32(fake, 0);
  test::Put16(fake, 1);
  test::Put16(fake, 1);
  test::Put32(fake, 0x7FFFFFFF);
  test::Put32(fake, 0);
  test::Put16(fake, 0);
  ArchiveOptions options;
  options.comment = fake;
  const auto opened = OpenBytes(BuildArchive(FilesAndFolder(), options));
  EXPECT_EQ(opened->Dir().CDir.Count(), 3);
  EXPECT_EQ(opened->zip.Comment(), fake);
}

TEST(ZipDirLoad, EmptyArchiveHasEverythingInFrontAsStub) {
  const auto opened = OpenBytes(BuildArchive({}, test::WithStub(Bytes(77, 's'))));
  EXPECT_EQ(opened->Dir().CDir.Count(), 0);
  EXPECT_EQ(opened->Dir().StubSize, 77);
}

struct NameCase {
  const char* title;
  Bytes stored;
  std::uint16_t flag;
  bool oem;
  Bytes centralExtra;
  std::u16string expected;
};

Bytes UnicodeNameBlock(std::uint32_t signature, const std::u16string& name) {
  Bytes data;
  test::Put32(data, signature);
  test::Put32(data, static_cast<std::uint32_t>(name.size()));
  for (char16_t c : name) test::Put16(data, c);
  return ExtraBlock(0x554E, data);
}

Bytes UnicodePathBlock(const Bytes& stored, const Bytes& utf8) {
  Bytes data(1, '\x01');
  test::Put32(data, ZipCrc32Of(stored.data(), stored.size()));
  return ExtraBlock(0x7075, data + utf8);
}

class ZipItemNames : public testing::TestWithParam<NameCase> {};

TEST_P(ZipItemNames, DecodeAsTheRulesSay) {
  const NameCase& c = GetParam();
  TestEntry entry{c.stored, "x"};
  entry.flag = c.flag;
  entry.centralExtra = c.centralExtra;
  const auto opened = OpenBytes(BuildArchive({entry}), {c.oem, true});
  EXPECT_EQ(opened->Item(0).Name, c.expected) << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ZipItemNames,
    testing::Values(
        NameCase{"ascii", "Dir/Read Me.txt", 0, true, "", u"Dir/Read Me.txt"},
        NameCase{"utf8 flag", "\xC3\x84.txt", 0x800, true, "", u"\u00C4.txt"},
        NameCase{"utf8 without flag, no oem", "\xC3\x84.txt", 0, false, "", u"\u00C4.txt"},
        NameCase{"oem 437 to ansi", "\x84\x94\x81.txt", 0, true, "", u"\u00E4\u00F6\u00FC.txt"},
        NameCase{"utf8 bytes oem-converted first", "\xC3\x84", 0, true, "", u"+\u00E4"},
        NameCase{"ansi when not utf8", "\xE4.txt", 0, false, "", u"\u00E4.txt"},
        NameCase{"NUCX block replaces", "old", 0, true, UnicodeNameBlock(0x5843554E, u"\u4E16"),
                 u"\u4E16"},
        NameCase{"other signature keeps", "old", 0, true, UnicodeNameBlock(0x12345678, u"new"),
                 u"old"},
        NameCase{"unicode path with matching crc", "\x90\x84", 0, true,
                 UnicodePathBlock("\x90\x84", "\xE4\xB8\x96\xE7\x95\x8C"), u"\u4E16\u754C"},
        NameCase{"unicode path with other crc", "ab", 0, true, UnicodePathBlock("xy", "zz"), u"ab"},
        NameCase{"NUCX before unicode path", "ab", 0, true,
                 UnicodePathBlock("ab", "path") + UnicodeNameBlock(0x5843554E, u"nucx"), u"nucx"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ZipDirLoad, Zip64BlockFillsOnlyTheSentinelFields) {
  TestEntry entry{"big", "1234567"};
  entry.zip64CompressedOnly = true;
  const auto opened = OpenBytes(BuildArchive({entry}));
  const TDirItem& item = opened->Item(0);
  EXPECT_EQ(item.CentralDir.compSize, kSentinel32);
  EXPECT_EQ(item.Zip64ExtInfo.compSize, 7u);
  EXPECT_EQ(item.CentralDir.unCompSize, 7u);
  EXPECT_TRUE(item.bHugeFile);
}

TEST(ZipDirLoad, Zip64EndRecordsGiveCountAndDirectory) {
  TestEntry entry{"z", "data"};
  entry.zip64Sizes = true;
  ArchiveOptions options;
  options.zip64End = true;
  const auto opened = OpenBytes(BuildArchive({entry, {"y", "more"}}, options));
  EXPECT_TRUE(opened->Dir().FZip64);
  ASSERT_EQ(opened->Dir().CDir.Count(), 2);
  EXPECT_EQ(opened->Item(0).UncompressedSize(), 4u);
  EXPECT_EQ(opened->Item(1).Name, u"y");
}

// The Zip64 end record is read where the locator points, or else right before the locator (a stub
// put in front without adjusting the locator), also at the first byte of the file (an empty
// archive of 98 bytes); found nowhere, the opening fails.
TEST(ZipDirLoad, Zip64EndRecordWhereTheLocatorPointsOrRightBeforeIt) {
  const auto zip64 = [](Bytes stub, std::uint64_t shift, bool empty = false) {
    ArchiveOptions options = test::WithStub(std::move(stub));
    options.zip64End = true;
    options.zip64EndOffsetShift = shift;
    return BuildArchive(
        empty ? std::vector<TestEntry>{}
              : std::vector<TestEntry>{test::Stored("a", "b"), test::Stored("c", "dd")},
        options);
  };
  Bytes noRecord = zip64({}, 5);
  noRecord[noRecord.rfind(std::string("PK\x06\x06", 4)) + 3] = 'X';
  const std::pair<Bytes, std::string> cases[] = {
      {zip64({}, 0), "all items passed"},       {zip64(Bytes(1000, 'S'), 0), "all items passed"},
      {zip64({}, 5), "all items passed"},       {noRecord, "open raised native error 40"},
      {zip64({}, 0, true), "all items passed"},
  };
  for (const auto& [bytes, result] : cases) EXPECT_EQ(test::OpenAndTest(bytes, false), result);
  EXPECT_EQ(OpenBytes(cases[1].first)->Dir().StubSize, 1000);
  ASSERT_EQ(cases[4].first.size(), 98u);
  EXPECT_EQ(OpenBytes(cases[4].first)->Dir().CDir.Count(), 0);
}

TEST(ZipDirLoad, AesBlockSetsAlgorithmAndRealMethod) {
  TestEntry entry{"secret", "xx"};
  entry.flag = 1;
  entry.centralExtra = ExtraBlock(0x9901, Bytes("\x02\x00"
                                                "AE\x03\x08\x00",
                                                7));
  TestEntry late = entry;
  late.extractVersion = 0x4114;
  const auto opened = OpenBytes(BuildArchive({entry, {"plain", "p"}, late}));
  EXPECT_EQ(opened->Item(0).ZipEncryptionAlgorithm, caAES_256);
  EXPECT_EQ(opened->Item(0).CompressionMethod, 8);
  EXPECT_EQ(opened->Item(2).ZipEncryptionAlgorithm, caPkzipClassic);
  EXPECT_EQ(opened->Item(2).CompressionMethod, 0);
  EXPECT_TRUE(opened->Dir().IsEncrypted());
}

TEST(ZipDirLoad, OnlyTheFirstItemDecidesIsEncrypted) {
  TestEntry locked{"b", "2"};
  locked.flag = 1;
  EXPECT_FALSE(OpenBytes(BuildArchive({{"a", "1"}, locked}))->Dir().IsEncrypted());
}

TEST(ZipDirLoad, EmptyNameFollowedByAnotherItemFailsWith59) {
  const Bytes bytes = BuildArchive({{"", "1"}, {"b", "2"}});
  EXPECT_EQ(test::NativeErrorOf([&] { OpenBytes(bytes); }), kNeNameTakenInIndex);
}

TEST(ZipDirLoad, DamagedDirectoryIsRebuiltOrRefused) {
  Bytes bytes = BuildArchive(FilesAndFolder());
  bytes[test::CentralDirStart(bytes) + 28] = '\x7F';  // first name runs past the end
  const auto unreadable = OpenBytes(bytes);
  EXPECT_TRUE(unreadable->Dir().Rebuilt);
  EXPECT_TRUE(unreadable->Dir().CentralDirUnreadable);
  EXPECT_FALSE(unreadable->Dir().EndRecordMissing);
  EXPECT_THROW(OpenBytes(bytes, {true, false}), EStreamError);

  Bytes entries = BuildArchive(FilesAndFolder());
  test::Patch16(entries, test::EndRecordStart(entries) + 10, 0xFFFF);
  test::Patch16(entries, test::EndRecordStart(entries) + 8, 0xFFFF);
  const auto uncounted = OpenBytes(entries);
  EXPECT_TRUE(uncounted->Dir().Rebuilt);
  EXPECT_TRUE(uncounted->Dir().EndRecordMissing);
}

TEST(ZipDirLoad, SizesBeyondTheStreamFailWith57WhenNotOpeningCorrupted) {
  TestEntry entry{"a", "1"};
  entry.zip64CompressedOnly = true;
  Bytes bytes = BuildArchive({entry});
  const std::size_t block =
      bytes.find(std::string("\x01\x00\x08\x00", 4), test::CentralDirStart(bytes));
  bytes[block + 4 + 7] = '\x7F';  // compressed size far beyond the stream
  EXPECT_EQ(test::NativeErrorOf([&] { OpenBytes(bytes, {true, false}); }), kNeSizesExceedStream);
  EXPECT_NO_THROW(OpenBytes(bytes));
}

}  // namespace
}  // namespace talu::zip

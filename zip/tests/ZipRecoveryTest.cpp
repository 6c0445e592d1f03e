#include <gtest/gtest.h>

#include "TestArchive.h"

namespace talu::zip {
namespace {

using test::BuildArchive;
using test::Bytes;
using test::OpenBytes;
using test::TestEntry;

TEST(ZipRecovery, CutDirectoryListsEveryItemAtItsHeader) {
  const Bytes whole = BuildArchive({{"a.txt", "alpha"}, {"b/c.txt", "charlie"}, {"d", "delta"}});
  const auto opened = OpenBytes(whole.substr(0, test::CentralDirStart(whole) + 20));
  const TZipDirManager& dir = opened->Dir();
  EXPECT_TRUE(dir.Rebuilt);
  ASSERT_EQ(dir.CDir.Count(), 3);
  EXPECT_EQ(dir.CDir[1].Name, u"b/c.txt");
  EXPECT_EQ(dir.CDir[1].LocalHeaderOffset(), 30u + 5 + 5);
  EXPECT_EQ(dir.CDir[2].UncompressedSize(), 5u);
  EXPECT_EQ(dir.CentralDirOffset, static_cast<std::int64_t>(test::CentralDirStart(whole) + 20));
}

// The same name bytes give the same name whether the directory is read or rebuilt: UTF-8 is
// detected in unflagged names on both paths, and a flagged name that is not UTF-8 falls back to
// the ANSI code page on both.
TEST(ZipRecovery, NamesDecodeAsInTheDirectory) {
  for (const std::uint16_t flag : {0, 0x800}) {
    for (const Bytes name : {"\xC3\x84rger \xC3\xBC.txt", "plain.txt", "caf\xE9.txt"}) {
      TestEntry entry{name, "x"};
      entry.flag = flag;
      const Bytes whole = BuildArchive({entry});
      const auto intact = OpenBytes(whole, {false, true});
      const auto cut = OpenBytes(whole.substr(0, test::CentralDirStart(whole)), {false, true});
      ASSERT_TRUE(cut->Dir().Rebuilt);
      EXPECT_EQ(cut->Item(0).Name, intact->Item(0).Name) << name << " flag " << flag;
    }
  }
  const Bytes umlauts = BuildArchive({{"\xC3\x84rger \xC3\xBC.txt", "x"}});
  EXPECT_EQ(
      OpenBytes(umlauts.substr(0, test::CentralDirStart(umlauts)), {false, true})->Item(0).Name,
      u"\u00C4rger \u00FC.txt");
}

TEST(ZipRecovery, TextWithoutLocalHeadersFailsWith35) {
  for (const Bytes& text : {Bytes("just some text\n"), Bytes(), Bytes("PK\x03\x04 short", 10)}) {
    EXPECT_EQ(test::NativeErrorOf([&] { OpenBytes(text); }), kNeNoLocalHeader) << text;
  }
  // A caller's stream goes to the rebuild without the end-record check of a file.
  EXPECT_EQ(test::NativeErrorOf([] { OpenBytes("plain", {true, false}); }), kNeNoLocalHeader);
}

TEST(ZipRecovery, ImplausibleHeadersYieldNoItem) {
  const Bytes whole = BuildArchive({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  Bytes cut = whole.substr(0, test::CentralDirStart(whole));
  test::Patch16(cut, 32 + 18 + 2, 0x7FFF);  // item b: compressed size beyond the stream
  test::Patch16(cut, 2 * 32 + 28, 261);     // item c: extra field too long
  const auto opened = OpenBytes(cut);
  ASSERT_EQ(opened->Dir().CDir.Count(), 1);
  EXPECT_EQ(opened->Item(0).Name, u"a");
}

TEST(ZipRecovery, Zip64HeadersTakeTheirSizesFromTheExtraField) {
  Bytes zip64;
  test::Put64(zip64, 4);
  test::Put64(zip64, 4);
  test::TestEntry entry{"z", "data"};
  entry.zip64Sizes = true;
  entry.localExtra = test::ExtraBlock(1, zip64);
  const Bytes whole = BuildArchive({entry});
  Bytes cut = whole.substr(0, test::CentralDirStart(whole));
  for (int field : {18, 20, 22, 24}) test::Patch16(cut, field, 0xFFFF);
  const auto opened = OpenBytes(cut);
  ASSERT_EQ(opened->Dir().CDir.Count(), 1);
  EXPECT_EQ(opened->Item(0).CompressedSize(), 4u);
  EXPECT_EQ(opened->Item(0).UncompressedSize(), 4u);
}

TEST(ZipRecovery, SignatureInTheLast29BytesIsIgnored) {
  const Bytes whole = BuildArchive({{"a", "1"}});
  const Bytes cut =
      whole.substr(0, test::CentralDirStart(whole)) + Bytes("PK\x03\x04", 4) + Bytes(25, '\0');
  EXPECT_EQ(OpenBytes(cut)->Dir().CDir.Count(), 1);
}

TEST(ZipRecovery, DataDescriptorGivesCrcAndSizes) {
  TestEntry streamed{"s", "streamed data"};
  streamed.dataDescriptor = true;
  const Bytes whole = BuildArchive({streamed, {"t", "x"}});
  const auto opened = OpenBytes(whole.substr(0, test::CentralDirStart(whole)));
  ASSERT_EQ(opened->Dir().CDir.Count(), 2);
  EXPECT_EQ(opened->Item(0).CentralDir.crc32, 0x12345678u);
  EXPECT_EQ(opened->Item(0).UncompressedSize(), 13u);
  EXPECT_EQ(opened->Item(0).CentralDir.externalAttr, 0x20u);
}

TEST(ZipRecovery, EmptyFileWithoutDescriptorBecomesAFolder) {
  const Bytes whole = BuildArchive({{"empty.txt", ""}, {"x", "1"}});
  const auto opened = OpenBytes(whole.substr(0, test::CentralDirStart(whole)));
  EXPECT_EQ(opened->Item(0).CentralDir.externalAttr, 0x10u);
  EXPECT_EQ(opened->Item(1).CentralDir.externalAttr, 0x20u);
}

TEST(ZipRecovery, SpannedArchiveIsNotRebuilt) {
  TStringStream stream("not an archive");
  TZipArchiver zip;
  zip.SetSpanningMode(smSplitting);
  EXPECT_EQ(test::NativeErrorOf([&] { zip.OpenArchive(stream, false); }), kNeCustomStreamSpanning);
  TZipDirManager dir(stream, {true, smSplitting}, nullptr, &zip);
  EXPECT_EQ(test::NativeErrorOf([&] { dir.LoadDir(); }), kNeRebuildSpanned);
}

}  // namespace
}  // namespace talu::zip

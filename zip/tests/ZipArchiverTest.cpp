#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "ItemMaker.h"
#include "TestArchive.h"
#include "ZipConst.h"

namespace talu::zip {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// A folder of its own under the system's temporary folder, removed with its content.
class TempFolder {
 public:
  TempFolder() : path_(fs::temp_directory_path() / ("talu-zip-" + std::to_string(Counter()++))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() { fs::remove_all(path_); }
  std::u16string File(const std::string& name, const Bytes& content) const {
    std::ofstream(path_ / name, std::ios::binary) << content;
    return Path(name);
  }
  std::u16string Path(const std::string& name) const { return (path_ / name).u16string(); }

 private:
  static int& Counter() {
    static int counter = 0;
    return counter;
  }
  fs::path path_;
};

std::vector<test::TestEntry> ThreeFilesTwoFolders() {
  test::TestEntry d1{"d/", ""}, d2{"d/e/", ""};
  d1.externalAttr = d2.externalAttr = 0x10;
  return {{"a", "1"}, d1, {"d/b", "2"}, d2, {"d/e/c", "3"}};
}

TEST(ZipArchiver, DefaultsAfterConstruction) {
  TZipArchiver zip;
  EXPECT_EQ(zip.CurrentVersion(), u"6.80 ");
  EXPECT_EQ(zip.CompressionLevel(), clFastest);
  EXPECT_EQ(zip.CompressionMode(), 1);
  EXPECT_EQ(zip.Zip64Mode(), zmDisabled);
  EXPECT_EQ(zip.EncryptionMethod(), caPkzipClassic);
  EXPECT_TRUE(zip.OpenCorruptedArchives());
  EXPECT_TRUE(zip.Options().OEMFileNames);
  EXPECT_EQ(zip.Options().SearchAttr, 10431);
  EXPECT_EQ(zip.Options().OverwriteMode, omAlways);
  EXPECT_FALSE(zip.Active());
}

TEST(ZipArchiver, CompressionLevelAndModeFollowEachOther) {
  TZipArchiver zip;
  const std::pair<int, TZipCompressionLevel> modes[] = {
      {0, clNone}, {3, clFastest}, {4, clNormal}, {6, clNormal}, {7, clMax}, {9, clMax}};
  for (const auto& [mode, level] : modes) {
    zip.SetCompressionMode(mode);
    EXPECT_EQ(zip.CompressionLevel(), level) << mode;
  }
  zip.SetCompressionLevel(clNormal);
  EXPECT_EQ(zip.CompressionMode(), 6);
  EXPECT_EQ(test::NativeErrorOf([&] { zip.SetCompressionMode(10); }), kNeCompressionMode);
}

TEST(ZipArchiver, GuardsRefuseAClosedArchive) {
  TZipArchiver zip;
  TZipArchiveItem item;
  const std::function<void()> needOpen[] = {
      [&] { zip.Size(); },
      [&] { zip.FileCount(); },
      [&] { zip.FindFirst(item); },
      [&] { zip.FindFirst(u"*", item, 0, u""); },
      [&] { zip.FindNext(item); },
      [&] { zip.TagFiles(); },
      [&] { zip.ProcessTaggedFiles(poExtract, -1); },
  };
  for (int pass = 0; pass < 2; ++pass) {  // never opened, then closed again
    for (const auto& call : needOpen) EXPECT_EQ(test::NativeErrorOf(call), kNeArchiveNotOpen);
    TStringStream stream(test::BuildArchive({{"a", "1"}}));
    zip.OpenArchive(stream, false);
    EXPECT_EQ(test::NativeErrorOf([&] { zip.ProcessTaggedFiles(poTest, -2); }), kNeItemIndex);
    // Past the last item only the start and end of the batch are reported.
    std::vector<double> progress;
    zip.OnOverallProgress = [&](TZipBaseArchiver&, double at, TZipProcessOperation,
                                TZipProgressPhase, bool&) { progress.push_back(at); };
    zip.OnFileProgress = [&](TZipBaseArchiver&, const std::u16string&, double at,
                             TZipProcessOperation, TZipProgressPhase,
                             bool&) { progress.push_back(-at); };
    for (int index : {1, 1 << 30}) zip.ProcessTaggedFiles(poTest, index);
    EXPECT_EQ(progress, (std::vector<double>{0, 100, 0, 100}));
    zip.OnOverallProgress = nullptr;
    zip.OnFileProgress = nullptr;
    zip.CloseArchive();
  }
  EXPECT_EQ(test::NativeErrorOf([&] { zip.OpenArchive(); }), kNeOpenNameBlank);
  EXPECT_EQ(test::NativeErrorOf([&] { zip.OpenArchive(0x40); }), kNeOpenModeNameBlank);
  EXPECT_EQ(zip.Comment(), "");
}

TEST(ZipArchiver, FileCountLeavesFoldersOut) {
  const auto opened = test::OpenBytes(test::BuildArchive(ThreeFilesTwoFolders()));
  EXPECT_EQ(opened->zip.FileCount(), 3);
  EXPECT_TRUE(opened->zip.Active());
  EXPECT_THROW(opened->zip.SetSpanningMode(smSpanning), Exception);
}

TEST(ZipArchiver, OpeningAMissingFileCreatesAnEmptyArchive) {
  TempFolder folder;
  TZipArchiver zip;
  zip.SetFileName(folder.Path("new.zip"));
  int opened = 0;
  zip.AfterOpen = [&](TZipBaseArchiver&) { ++opened; };
  zip.OpenArchive();
  EXPECT_TRUE(zip.Active());
  EXPECT_EQ(opened, 1);
  zip.CloseArchive();
  std::ifstream in(fs::path(folder.Path("new.zip")), std::ios::binary);
  const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, Bytes("PK\x05\x06", 4) + Bytes(18, '\0'));
  zip.OpenArchive();
  EXPECT_EQ(zip.DMHandle()->CDir.Count(), 0);
  EXPECT_EQ(zip.Size(), 22);
}

TEST(ZipArchiver, OpensFilesOfEveryKind) {
  TempFolder folder;
  TZipArchiver zip;
  zip.SetFileName(folder.File("plain.zip", test::BuildArchive(ThreeFilesTwoFolders())));
  EXPECT_TRUE(zip.IsValidArchiveFile());
  zip.OpenArchive();
  EXPECT_EQ(zip.DMHandle()->CDir.Count(), 5);
  // A program with the archive appended opens through the self-extracting path.
  zip.SetFileName(
      folder.File("setup.exe", test::BuildArchive({{"x", "y"}}, test::WithStub("MZ stub"))));
  zip.OpenArchive();
  EXPECT_EQ(zip.SpanningMode(), smNone);
  EXPECT_EQ(zip.DMHandle()->StubSize, 7);
  zip.CloseArchive();
  EXPECT_TRUE(TZipBaseArchiver::IsSFXArchive(u"C:\\dir\\SETUP.EXE"));
  EXPECT_FALSE(TZipBaseArchiver::IsSFXArchive(u"archive.exe.zip"));
}

TEST(ZipArchiver, FilesWithoutEndRecord) {
  TempFolder folder;
  const Bytes whole = test::BuildArchive({test::Stored("a", "1")});
  TZipArchiver zip;
  // Without an end record the candidate's items are tested: a damaged item makes it invalid.
  Bytes damaged = whole.substr(0, test::CentralDirStart(whole));
  damaged[damaged.size() - 1] ^= 1;
  zip.SetFileName(folder.File("damaged.zip", damaged));
  EXPECT_FALSE(zip.IsValidArchiveFile());
  zip.SetFileName(folder.File("cut.zip", whole.substr(0, test::CentralDirStart(whole))));
  EXPECT_TRUE(zip.IsValidArchiveFile());
  zip.OpenArchive(0x40);
  EXPECT_TRUE(zip.DMHandle()->Rebuilt);
  zip.SetOpenCorruptedArchives(false);
  EXPECT_EQ(test::NativeErrorOf([&] { zip.OpenArchive(0x40); }), kNeEndRecordMissing);
  EXPECT_FALSE(zip.Active());
  zip.SetFileName(folder.File("text.txt", "no archive here"));
  EXPECT_FALSE(zip.IsValidArchiveFile());
  zip.SetOpenCorruptedArchives(true);
  EXPECT_EQ(test::NativeErrorOf([&] { zip.OpenArchive(0x40); }), kNeNoLocalHeader);
  zip.SetFileName(folder.Path("missing.zip"));
  EXPECT_FALSE(zip.IsValidArchiveFile());
  EXPECT_EQ(test::NativeErrorOf([&] { zip.OpenArchive(0x40); }), kNeArchiveFileNotFound);
}

TEST(ZipVolumeNumberInfo, FirstLastAndEquality) {
  TZipVolumeNumberInfo a, b;
  EXPECT_EQ(a.FVolumeKind, vnkUnknown);
  EXPECT_FALSE(a.LastVolume());
  a.SetLastVolume(true);
  EXPECT_TRUE(a.LastVolume());
  EXPECT_FALSE(a.IsEqualTo(b));
  b.FLastVolumeNumber = 3;
  b.SetVolumeNumber(3);
  EXPECT_TRUE(b.LastVolume());
  EXPECT_FALSE(b.IsEqualTo(TZipVolumeNumberInfo()));
  b.SetFirstVolume(true);
  EXPECT_TRUE(b.FirstVolume());
  TZipVolumeNumberInfo c;
  c.SetVolumeNumber(0);
  EXPECT_TRUE(b.IsEqualTo(c));
}

}  // namespace
}  // namespace talu::zip

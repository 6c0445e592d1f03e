// Split archives: volumes "name.z01", "name.z02", ... with "name.zip" last (or "name.001", ...
// with advanced naming), read from the last volume, items and data running across volumes, and
// missing volumes asked for through the request events and their default boxes.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "ArchiveProbe.h"
#include "ItemMaker.h"
#include "ScriptedPrompts.h"
#include "TestArchive.h"

namespace talu::zip::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kVolumeSize = 64 * 1024;
const std::string kPassword = "qarvu-tn.pzo";

const Bytes kBig = RandomBytes(150000, 11);
const Bytes kText = RandomBytes(100000, 13);
const Bytes kSecret = RandomBytes(70000, 12);

// The archive of `entries` cut into volumes of kVolumeSize bytes; the directory goes on in a new
// volume after each of its entries numbered in `dirCuts` (none: the last volume holds it whole).
// Offsets and disk numbers are those of the volumes. Returns the volumes.
std::vector<Bytes> SplitArchive(const std::vector<TestEntry>& entries, std::set<int> dirCuts = {}) {
  Bytes whole = BuildArchive(entries);
  const std::size_t dir = CentralDirStart(whole), end = EndRecordStart(whole);
  std::vector<std::size_t> starts;  // of each volume
  for (std::size_t at = 0; at <= dir; at += kVolumeSize) starts.push_back(at);
  for (std::size_t at = dir, entry = 0; at < end; ++entry) {
    std::uint32_t offset = 0;
    for (int i = 0; i < 4; ++i) offset |= std::uint32_t(std::uint8_t(whole[at + 42 + i])) << 8 * i;
    Patch16(whole, at + 34, static_cast<std::uint16_t>(offset / kVolumeSize));
    Patch32(whole, at + 42, static_cast<std::uint32_t>(offset % kVolumeSize));
    const auto length = [&](std::size_t field) {
      return std::size_t(std::uint8_t(whole[at + field])) |
             std::size_t(std::uint8_t(whole[at + field + 1])) << 8;
    };
    at += 46 + length(28) + length(30) + length(32);
    if (dirCuts.count(int(entry)) != 0) starts.push_back(at);
  }
  const std::size_t first = dir / kVolumeSize;
  Patch16(whole, end + 4, static_cast<std::uint16_t>(starts.size() - 1));
  Patch16(whole, end + 6, static_cast<std::uint16_t>(first));
  Patch32(whole, end + 16, static_cast<std::uint32_t>(dir - first * kVolumeSize));
  std::vector<Bytes> volumes;
  for (std::size_t i = 0; i < starts.size(); ++i)
    volumes.push_back(
        whole.substr(starts[i], i + 1 < starts.size() ? starts[i + 1] - starts[i] : Bytes::npos));
  return volumes;
}

// Writes the volumes as "a.z01", ... (or "a.001", ...) and "a.zip"; returns the last one's path.
fs::path WriteVolumes(const fs::path& folder, const std::vector<Bytes>& volumes,
                      const char* pattern = "a.z%02d") {
  for (std::size_t i = 0; i + 1 < volumes.size(); ++i) {
    char name[16];
    std::snprintf(name, sizeof name, pattern, int(i + 1));
    WriteFile(folder / name, volumes[i]);
  }
  WriteFile(folder / "a.zip", volumes.back());
  return folder / "a.zip";
}

std::vector<Bytes> ThreeItemVolumes(std::set<int> dirCuts = {}) {
  return SplitArchive({Stored("big.bin", kBig), Deflated("text.txt", kText),
                       Encrypted(Stored("secret.bin", kSecret), kPassword)},
                      std::move(dirCuts));
}

// Read from the last volume in either naming, with the directory in the last volume or begun
// two volumes earlier (one entry in each), so that the directory read steps across volumes.
TEST(SplitArchive, ReadFromTheLastVolumeInEitherNaming) {
  for (const auto& [dirCuts, count] : {std::pair{std::set<int>{}, 5u}, {{0, 1}, 7u}}) {
    const std::vector<Bytes> volumes = ThreeItemVolumes(dirCuts);
    ASSERT_EQ(volumes.size(), count);
    for (const char* pattern : {"a.z%02d", "a.%03d"}) {
      SCOPED_TRACE(std::string(pattern) + " in " + std::to_string(count));
      TempFolder folder("split");
      TZipArchiver zip;
      zip.SetFileName(WriteVolumes(folder.Root(), volumes, pattern).u16string());
      zip.SetPassword(kPassword);
      zip.OpenArchive(0x40);
      EXPECT_EQ(zip.SpanningMode(), smSplitting);
      ASSERT_EQ(zip.DMHandle()->CDir.Count(), 3);
      for (const auto& [name, data] :
           {std::pair{u"big.bin", kBig}, {u"text.txt", kText}, {u"secret.bin", kSecret}}) {
        TStringStream out;
        zip.ExtractToStream(name, out);
        EXPECT_TRUE(out.DataString() == data);
      }
      zip.SetBaseDir(folder.OutText());
      zip.ExtractFiles(u"*.*");
      EXPECT_TRUE(ReadFile(folder.Out() / "text.txt") == kText);
      EXPECT_TRUE(ReadFile(folder.Out() / "secret.bin") == kSecret);
    }
  }
}

// Records the middle-volume requests it takes over, and opens the blank-volume request.
class TMiddleVolumeArchiver final : public TZipArchiver {
 public:
  using TZipBaseArchiver::DoOnRequestBlankVolume;
  std::vector<std::int32_t> middle;  // volume numbers counted from 0

 protected:
  void DoOnRequestMiddleVolume(std::int32_t volumeNumber, std::u16string& volumeFileName,
                               bool& cancel) override {
    middle.push_back(volumeNumber);
    TZipArchiver::DoOnRequestMiddleVolume(volumeNumber, volumeFileName, cancel);
  }
};

// Each volume request is a dispatcher of its own that a subclass may take over alone. Opening asks
// for the volumes of a directory that begins before the last one; with one of them missing they
// are disks, asked for by boxes with 1-based numbers, and a cancelled request fails the opening
// instead of rebuilding a part of the directory. A blank disk is asked for the same way.
TEST(SplitArchive, VolumeRequestsDispatchOneByOne) {
  TempFolder folder("dispatch");
  TMiddleVolumeArchiver zip;
  zip.SetFileName(WriteVolumes(folder.Root(), ThreeItemVolumes({0, 1})).u16string());
  zip.OpenArchive(0x40);
  zip.CloseArchive();
  fs::remove(folder.Root() / "a.z06");
  ScriptedPrompts prompts;
  prompts.Answer(TZipButton::OK);
  EXPECT_EQ(NativeErrorOf([&] { zip.OpenArchive(0x40); }), kNeVolumeRequestCancelled);
  EXPECT_FALSE(zip.Active());
  EXPECT_EQ(zip.middle, (std::vector<std::int32_t>{4, 5, 4, 5}));

  std::u16string name = u"blank.z03";
  bool cancel = false;
  zip.SetSpanningMode(smSpanning);
  zip.DoOnRequestBlankVolume(2, name, cancel);
  EXPECT_TRUE(cancel);
  std::vector<std::u16string> asked;
  for (const auto& q : prompts.Asked()) asked.push_back(q.text);
  EXPECT_EQ(asked, (std::vector<std::u16string>{u"Please insert disk #5", u"Please insert disk #6",
                                                u"Please insert a blank disk #3"}));
  std::int32_t handed = 0;
  zip.OnRequestBlankVolume = [&](TZipBaseArchiver&, std::int32_t number, std::u16string&, bool&) {
    handed = number;
  };
  zip.DoOnRequestBlankVolume(2, name, cancel);
  EXPECT_EQ(handed, 3);
  EXPECT_FALSE(cancel);
}

struct MissingVolumeCase {
  const char* what;
  int removed;                        // number of the volume file taken away ("a.z0N")
  bool handler;                       // a request handler, or the default boxes
  std::vector<std::u16string> asked;  // requests for a missing file, or the boxes' texts
  std::vector<int> failures;
  std::set<std::string> extracted;
};

// A volume taken away: its request names the volume; a cancelled request fails the item with
// kNeVolumeRequestCancelled and leaves nothing of it on disk. The volume the opening looks for (the
// one before the last) decides the mode: with it present the volumes are split files, not asked for
// by a box; without it they are disks, each asked for by a box (OK four times, then Cancel).
TEST(SplitArchive, MissingVolumesAreRequestedAndCancelFailsTheItem) {
  const std::u16string disk4 = u"Please insert disk #4";
  const MissingVolumeCase cases[] = {
      {"split, handler",
       2,
       true,
       {u"middle #2 a.z02"},
       {kNeVolumeRequestCancelled},
       {"text.txt", "secret.bin"}},
      {"split, no handler", 2, false, {}, {kNeVolumeRequestCancelled}, {"text.txt", "secret.bin"}},
      {"disks, boxes",
       4,
       false,
       {u"Please insert the first disk", u"Please insert disk #2", u"Please insert disk #3", disk4,
        disk4, disk4},
       {kNeVolumeRequestCancelled, kNeVolumeRequestCancelled},
       {"big.bin"}},
  };
  for (const MissingVolumeCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder("missing");
    const fs::path last = WriteVolumes(folder.Root(), ThreeItemVolumes());
    fs::remove(folder.Root() / ("a.z0" + std::to_string(c.removed)));
    ScriptedPrompts prompts;
    for (int i = 0; i < 4; ++i) prompts.Answer(TZipButton::OK);
    TZipArchiver zip;
    std::vector<std::u16string> asked;
    if (c.handler)
      zip.OnRequestMiddleVolume = [&](TZipBaseArchiver&, std::int32_t number, std::u16string& name,
                                      bool& cancel) {
        if (cancel)
          asked.push_back(u"middle #" + std::u16string(1, char16_t(u'0' + number)) + u" " +
                          fs::path(name).filename().u16string());
      };
    std::vector<int> failures;
    zip.OnProcessFileFailure = [&](TZipBaseArchiver&, const std::u16string&, TZipProcessOperation,
                                   std::int32_t native, std::int32_t, const std::u16string&,
                                   TZipAction& action) {
      failures.push_back(native);
      action = fxaIgnore;
    };
    zip.SetFileName(last.u16string());
    zip.SetPassword(kPassword);
    zip.OpenArchive(0x40);
    EXPECT_EQ(zip.SpanningMode(), c.removed == 4 ? smSpanning : smSplitting);
    zip.SetBaseDir(folder.OutText());
    zip.ExtractFiles(u"*.*");
    for (const auto& q : prompts.Asked()) asked.push_back(q.text);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(failures, c.failures);
    std::set<std::string> extracted;
    for (const auto& entry : fs::directory_iterator(folder.Out()))
      extracted.insert(entry.path().filename().string());
    EXPECT_EQ(extracted, c.extracted);
  }
}

// An end record that names volumes of which none lies beside its file is stray bytes of an
// archive in one file: in the comment it gives way to the archive's own record; ending a cut
// archive, the archive is rebuilt from its local headers as others without an end record are.
// Nothing is asked for.
TEST(SplitArchive, StrayEndRecordInOneFileNamesNoVolumes) {
  Bytes stray("PK\x05\x06\x03\x00\x01\x00", 8);
  stray += Bytes(14, '\0');
  ArchiveOptions commented;
  commented.comment = "note " + stray;
  const Bytes whole =
      BuildArchive({Stored("big.bin", kBig), Deflated("text.txt", kText)}, commented);
  const std::pair<const char*, Bytes> cases[] = {
      {"in the comment", whole},
      {"ending a cut archive", whole.substr(0, CentralDirStart(whole)) + stray}};
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    TempFolder folder("stray");
    WriteFile(folder.Root() / "a.zip", bytes);
    ScriptedPrompts prompts;
    TZipArchiver zip;
    zip.SetFileName((folder.Root() / "a.zip").u16string());
    zip.OpenArchive(0x40);
    EXPECT_EQ(zip.SpanningMode(), smNone);
    EXPECT_EQ(zip.FileCount(), 2);
    EXPECT_EQ(zip.DMHandle()->Rebuilt, bytes.size() != whole.size());
    int failures = 0, lastError = 0;
    IgnoreFailures(zip, failures, lastError);
    zip.TestFiles(u"*.*", kZipAllAttributes, u"");
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(prompts.Asked().empty());
  }
}

// An output that takes nothing, like a full disk.
class TFullDisk final : public TStringStream {
 public:
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
};

// Writing to a full disk while reading an archive on disks asks with a box; Cancel ends the item
// quietly as cancelled. (Split files and archives in one file raise kNeDiskFull.)
TEST(SplitArchive, FullDiskOfADiskArchiveAsksWithABox) {
  TempFolder folder("full");
  const std::vector<Bytes> volumes =
      SplitArchive({Stored("big.bin", kBig), Stored("small.txt", "small")});
  ASSERT_EQ(volumes.size(), 3u);
  const fs::path last = WriteVolumes(folder.Root(), volumes);
  fs::remove(folder.Root() / "a.z02");
  ScriptedPrompts prompts;
  TZipArchiver zip;
  zip.SetFileName(last.u16string());
  zip.OpenArchive(0x40);
  ASSERT_EQ(zip.SpanningMode(), smSpanning);
  TFullDisk full;
  EXPECT_NO_THROW(zip.ExtractToStream(u"small.txt", full));
  EXPECT_TRUE(zip.Cancelled());
  ASSERT_EQ(prompts.Asked().size(), 1u);
  EXPECT_EQ(prompts.Asked()[0].text.rfind(u"Disk is full. Required free space: 0 bytes, but "
                                          u"available only: ",
                                          0),
            0u);
  EXPECT_EQ(prompts.Asked()[0].buttons, kOKCancel);
}

}  // namespace
}  // namespace talu::zip::test

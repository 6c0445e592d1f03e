// Scheduling and withdrawing deletions at the next restart, against Wine's real registry value
// (saved and restored around each test) and a "wininit.ini" in a temp folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "NextBoot.h"
#include "PendingRenames.h"
#include "Registry.h"
#include "TestSupport.h"
#include "WideText.h"
#include "Wininit.h"

namespace talu {
namespace {

using Strings = std::vector<std::u16string>;

// The REG_MULTI_SZ data of `strings`: each zero-terminated, then the closing zero.
std::u16string Multi(const Strings& strings) {
  std::u16string data;
  for (const auto& s : strings) data += s + u'\0';
  return data + u'\0';
}

struct RawValue {
  DWORD type = REG_NONE;
  std::u16string data;
  bool operator==(const RawValue&) const = default;
};

std::optional<RawValue> ReadPending() {
  RegKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ)) return std::nullopt;
  std::u16string data(40000, u'\0');
  DWORD size = static_cast<DWORD>(data.size() * 2);
  DWORD type = REG_NONE;
  if (!key.ReadRaw(kPendingRenamesValue, data.data(), size, type)) return std::nullopt;
  data.resize(size / 2);
  return RawValue{type, data};
}

void WritePending(const std::optional<RawValue>& value) {
  RegKey key;
  ASSERT_TRUE(key.Create(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_ALL_ACCESS));
  if (!value) {
    key.DeleteValue(kPendingRenamesValue);
    return;
  }
  key.WriteRaw(kPendingRenamesValue, value->type, value->data.data(),
               static_cast<DWORD>(value->data.size() * 2));
}

class PendingValue : public testing::Test {
 protected:
  void SetUp() override { saved_ = ReadPending(); }
  void TearDown() override { WritePending(saved_); }

  static void Set(const std::u16string& data, DWORD type = REG_MULTI_SZ) {
    WritePending(RawValue{type, data});
  }
  static void Withdraw(const std::u16string& path) {
    DesistDeleteFileNextBootFor(VER_PLATFORM_WIN32_NT, path);
  }

 private:
  std::optional<RawValue> saved_;
};

const std::u16string kA = u"\\??\\C:\\a.txt";
const std::u16string kB = u"\\??\\C:\\b.txt";

TEST_F(PendingValue, WithdrawingTheOnlyEntryDeletesTheValue) {
  Set(Multi({kA, u""}));
  Withdraw(u"C:\\a.txt");
  EXPECT_EQ(ReadPending(), std::nullopt);
}

TEST_F(PendingValue, RemainingDeletionIsWrittenWithItsTerminators) {
  Set(Multi({kA, u"", kB, u""}));
  Withdraw(u"C:\\B.TXT");
  const auto value = ReadPending();
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(value->data, kA + std::u16string(3, u'\0'));  // (n + 3) x 2 bytes
}

TEST_F(PendingValue, FolderWithdrawalKeepsTheFilesInside) {
  const std::u16string data_bin = u"\\??\\C:\\Marlo\\Talu\\CSTALU\\data.bin";
  Set(Multi({data_bin, u"", u"\\??\\C:\\Marlo\\Talu\\CSTALU", u""}));
  Withdraw(u"C:\\Marlo\\Talu\\CSTALU");
  EXPECT_EQ(ReadPending()->data, Multi({data_bin, u""}));
}

TEST_F(PendingValue, RenamePairsAreNeverSplit) {
  const std::u16string src = u"\\??\\C:\\a.txt", target = u"!\\??\\C:\\z.txt";
  Set(Multi({src, target, kB, u""}));
  Withdraw(u"C:\\a.txt");
  Withdraw(u"C:\\z.txt");
  EXPECT_EQ(ReadPending()->data, Multi({src, target, kB, u""}));
  Withdraw(u"C:\\b.txt");
  EXPECT_EQ(ReadPending()->data, Multi({src, target}));
}

TEST_F(PendingValue, OnlyTheFirstOfTwoEqualEntriesGoes) {
  Set(Multi({kA, u"", kB, u"", kA, u""}));
  Withdraw(u"C:\\a.txt");
  EXPECT_EQ(ReadPending()->data, Multi({kB, u"", kA, u""}));
}

// Deletion pairs filling exactly `bytes`, the last one for C:\a.txt.
std::u16string ValueOfSize(size_t bytes) {
  const std::u16string last = kA + std::u16string(3, u'\0');  // its pair and the closing zero
  std::u16string data;
  for (size_t left = bytes / 2 - last.size(); left > 0;) {
    const size_t length = left >= 404 ? 200 : left - 2;  // a name, its zero, the empty target
    data += std::u16string(length, u'x') + std::u16string(2, u'\0');
    left -= length + 2;
  }
  return data + last;
}

// Other programs can leave a long list; the withdrawal reads it whatever its size.
TEST_F(PendingValue, AValueOfAnySizeIsRead) {
  for (const size_t bytes : {size_t{52202}, size_t{52204}, size_t{79998}}) {
    const std::u16string data = ValueOfSize(bytes);
    ASSERT_EQ(data.size() * 2, bytes);
    Set(data);
    Withdraw(u"C:\\a.txt");
    // Without its pair and the closing zero, then the closing zero again.
    const std::u16string left = data.substr(0, data.size() - kA.size() - 3) + u'\0';
    EXPECT_TRUE(ReadPending()->data == left) << bytes;
  }
}

TEST_F(PendingValue, StringAndNumberTypesAreLeftAlone) {
  for (const DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_DWORD}) {
    Set(Multi({kA, u""}), type);
    Withdraw(u"C:\\a.txt");
    EXPECT_EQ(ReadPending(), (RawValue{type, Multi({kA, u""})})) << type;
  }
}

TEST_F(PendingValue, ScheduledFileCanBeWithdrawnByItsOwnPath) {
  test::TempDir dir;
  test::WriteText(dir / u"f.txt", "f");
  WritePending(std::nullopt);
  ASSERT_TRUE(DeleteFileNextBootFor(VER_PLATFORM_WIN32_NT, dir / u"f.txt"));
  EXPECT_EQ(ReadPending()->data, Multi({u"\\??\\" + dir / u"f.txt", u""}));
  Withdraw(dir.path() + u"\\.\\F.TXT");
  EXPECT_EQ(ReadPending(), std::nullopt);
}

TEST_F(PendingValue, Win32sIsNotSupported) {
  Set(Multi({kA, u""}));
  SetLastError(0);
  EXPECT_FALSE(DeleteFileNextBootFor(VER_PLATFORM_WIN32s, u"C:\\b.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  SetLastError(0);
  DesistDeleteFileNextBootFor(VER_PLATFORM_WIN32s, u"C:\\a.txt");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(ReadPending()->data, Multi({kA, u""}));
}

std::string ShortPath(const std::u16string& path) {
  wchar_t short_path[MAX_PATH + 1] = {};
  GetShortPathNameW(Wide(path), short_path, MAX_PATH + 1);
  return std::string(short_path, short_path + wcslen(short_path));
}

TEST(Wininit, LinesGoDirectlyBelowTheRenameSection) {
  test::TempDir dir;
  const std::u16string ini = dir / u"wininit.ini", a = dir / u"Long File A.txt",
                       b = dir / u"Long File B.txt";
  test::WriteText(a, "a");
  test::WriteText(b, "b");
  const std::string nul_a = "NUL=" + ShortPath(a) + "\r\n", nul_b = "NUL=" + ShortPath(b) + "\r\n";
  ASSERT_NE(ShortPath(a), std::string(a.begin(), a.end()));

  EXPECT_TRUE(ScheduleInWininit(ini, a));
  EXPECT_EQ(test::ReadText(ini), "[rename]\r\n" + nul_a);
  EXPECT_TRUE(ScheduleInWininit(ini, b));
  EXPECT_EQ(test::ReadText(ini), "[rename]\r\n" + nul_b + nul_a);
  WithdrawFromWininit(ini, a);
  EXPECT_EQ(test::ReadText(ini), "[rename]\r\n" + nul_b);

  test::WriteText(ini, "[Other]\nkey=1\n[RENAME]\n");
  EXPECT_TRUE(ScheduleInWininit(ini, a));
  EXPECT_EQ(test::ReadText(ini), "[Other]\r\nkey=1\r\n[RENAME]\r\n" + nul_a);
  test::WriteText(ini, "[Other]\r\n");
  EXPECT_TRUE(ScheduleInWininit(ini, a));
  EXPECT_EQ(test::ReadText(ini), "[Other]\r\n[rename]\r\n" + nul_a);
}

TEST(Wininit, NothingIsWrittenWithoutAShortPathOrASection) {
  test::TempDir dir;
  const std::u16string ini = dir / u"wininit.ini";
  EXPECT_FALSE(ScheduleInWininit(ini, dir / u"missing.txt"));
  WithdrawFromWininit(ini, dir / u"missing.txt");
  EXPECT_FALSE(test::Exists(ini));
  test::WriteText(dir / u"a.txt", "a");
  test::WriteText(ini, "[Other]\nNUL=" + ShortPath(dir / u"a.txt"));
  WithdrawFromWininit(ini, dir / u"a.txt");
  EXPECT_EQ(test::ReadText(ini), "[Other]\nNUL=" + ShortPath(dir / u"a.txt"));
}

}  // namespace
}  // namespace talu

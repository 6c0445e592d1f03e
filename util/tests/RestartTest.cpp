// Deletion at the next restart, end to end: schedule and withdraw, restart the Wine prefix as a
// reboot (wineboot -r), and check what is gone and what survived. The Windows 98 branch runs in
// a copy of the helper program that Wine reports Windows 98 to.
#include <gtest/gtest.h>
#include <windows.h>

#include "LogonDeletions.h"
#include "MS_File.h"
#include "PendingRenames.h"
#include "Registry.h"
#include "TestSupport.h"
#include "WideText.h"
#include "Wininit.h"

namespace talu {
namespace {

using test::Exists;

bool PendingValueExists() {
  RegKey key;
  DWORD size = 0, type = 0;
  return key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ) &&
         key.ReadRaw(kPendingRenamesValue, nullptr, size, type);
}

TEST(Restart, ProcessesScheduledDeletionsAndNotWithdrawnOnes) {
  test::TempDir dir;
  const std::u16string app = dir / u"app", cstalu = dir / u"CSTALU", keep = dir / u"keep.txt";
  test::MakeDirs(app + u"\\sub");
  test::MakeDirs(cstalu);
  for (const auto& file :
       {app + u"\\locked.bin", app + u"\\sub\\a.txt", cstalu + u"\\data.bin", keep}) {
    test::WriteText(file, "x");
  }
  {
    // The uninstaller's way: what cannot go now goes at the restart.
    test::FileLocker lock(app + u"\\locked.bin");
    ASSERT_TRUE(lock.locked());
    EXPECT_FALSE(DeleteFolderTree(app, true));
    EXPECT_TRUE(DeleteFileNextBoot(app + u"\\locked.bin"));
    EXPECT_TRUE(DeleteFileNextBoot(app));
  }  // a real restart has no lock holders left
  EXPECT_TRUE(DeleteFileNextBoot(keep));
  EXPECT_TRUE(DeleteFileNextBoot(cstalu + u"\\data.bin"));
  EXPECT_TRUE(DeleteFileNextBoot(cstalu));
  DesistDeleteFileNextBoot(keep);
  DesistDeleteFileNextBoot(cstalu);  // must not take the file inside with it
  EXPECT_TRUE(Exists(app + u"\\locked.bin"));
  EXPECT_TRUE(Exists(cstalu + u"\\data.bin"));

  test::RestartWine();
  EXPECT_FALSE(Exists(app));
  EXPECT_FALSE(Exists(cstalu + u"\\data.bin"));
  EXPECT_TRUE(Exists(cstalu));
  EXPECT_TRUE(Exists(keep));
  EXPECT_FALSE(PendingValueExists());
}

// A user without administrator rights: the deletions wait for the user's next logon, where
// each command takes exactly its file, or its folder only when empty, each folder after what
// it holds, and leaves no value. A withdrawal finds its path in full, even once the file is
// gone (here before a new one takes its place).
TEST(Restart, WithoutAdministratorRightsTheNextLogonDeletes) {
  test::TempDir dir;
  const std::u16string app = dir / u"Talu Demo";
  const std::u16string deep = app + u"\\" + std::u16string(150, u'w'),
                       renewed = deep + u"\\new.exe";
  struct Case {
    std::u16string path;
    bool scheduled, gone;
  };
  const Case cases[] = {
      {app + u"\\hidden read-only.exe", true, true},
      {app + u"\\" + std::u16string(120, u'n') + u".dat", true, true},
      {app + u"\\withdrawn.txt", true, false},
      {app + u"\\now a folder", true, false},  // a file when scheduled
      {app + u"\\now a folder\\users.txt", false, false},
      {app + u"\\empty\\", true, true},  // a folder as the uninstall names it
      {app + u"\\later", true, true},    // scheduled before the file inside
      {app + u"\\later\\inside.txt", true, true},
      {renewed, true, false},
      {deep, true, false},
      {app + u"\\100%.txt", false, false},  // the command interpreter would expand it
      {app, true, false},                   // the user's file below keeps it
      {app + u"\\notes.txt", false, false},
  };
  for (const auto& folder : {app + u"\\empty", app + u"\\later", deep}) test::MakeDirs(folder);
  for (const auto& c : cases) {
    if (!test::Exists(c.path)) test::WriteText(c.path, "x");
  }
  SetFileAttributesW(Wide(cases[0].path), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  {
    const test::StandardUserRights standardUser;
    ASSERT_TRUE(standardUser.applied());
    for (const auto& c : cases) {
      if (c.path.ends_with(u"users.txt") || c.path.ends_with(u"notes.txt")) continue;
      EXPECT_EQ(DeleteFileNextBoot(c.path), c.scheduled) << zip::Utf16ToUtf8(c.path);
    }
    DesistDeleteFileNextBoot(cases[2].path);
    DeleteFileW(Wide(renewed));
    DesistDeleteFileNextBoot(renewed);
  }
  test::WriteText(renewed, "the new one");
  EXPECT_FALSE(PendingValueExists());
  DeleteFileW(Wide(cases[3].path));
  test::MakeDirs(cases[3].path);
  test::WriteText(cases[4].path, "the user's");

  test::RestartWine();
  test::PlayNextLogon();
  for (const auto& c : cases) EXPECT_EQ(test::Exists(c.path), !c.gone) << zip::Utf16ToUtf8(c.path);
  EXPECT_EQ(test::OurLogonValues(), std::vector<std::u16string>{});
  EXPECT_FALSE(test::Exists(LogonListPath()));
}

// A copy of the helper program under a name Wine reports Windows 98 to.
class Windows98Helper {
 public:
  explicit Windows98Helper(const test::TempDir& dir) : path_(dir / (kName)) {
    CopyFileW(Wide(test::HelperPath()), Wide(path_), FALSE);
    RegKey key;
    key.Create(HKEY_CURRENT_USER, kAppDefaults + std::u16string(kName), KEY_ALL_ACCESS);
    key.WriteString(u"Version", u"win98");
  }
  ~Windows98Helper() {
    RegDeleteKeyW(HKEY_CURRENT_USER, Wide(kAppDefaults + std::u16string(kName)));
  }
  DWORD Run(const std::u16string& arguments) const { return test::RunToEnd(path_, arguments); }

 private:
  static constexpr char16_t kName[] = u"util_test_helper98.exe";
  static constexpr char16_t kAppDefaults[] = u"Software\\Wine\\AppDefaults\\";
  std::u16string path_;
};

TEST(Restart, ProcessesWininitOfAWindows98Program) {
  const std::u16string wininit = WininitPath();
  const std::u16string backup = wininit.substr(0, wininit.size() - 3) + u"bak";
  ASSERT_FALSE(Exists(wininit)) << "a wininit.ini from elsewhere is pending";
  test::TempDir dir;
  const Windows98Helper helper(dir);
  ASSERT_EQ(helper.Run(u"platform"), static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));

  const std::u16string gone = dir / u"Long File Name.txt", kept = dir / u"kept.txt";
  test::WriteText(gone, "x");
  test::WriteText(kept, "x");
  EXPECT_EQ(helper.Run(u"schedule \"" + gone + u'"'), 0u);
  EXPECT_EQ(helper.Run(u"schedule \"" + kept + u'"'), 0u);
  EXPECT_EQ(helper.Run(u"withdraw \"" + kept + u'"'), 0u);
  wchar_t short_name[MAX_PATH + 1] = {};
  GetShortPathNameW(Wide(gone), short_name, MAX_PATH + 1);
  const std::u16string short_path = FromWide(short_name);
  EXPECT_EQ(test::ReadText(wininit),
            "[rename]\r\nNUL=" + std::string(short_path.begin(), short_path.end()) + "\r\n");

  test::RestartWine();
  EXPECT_FALSE(Exists(gone));
  EXPECT_TRUE(Exists(kept));
  EXPECT_FALSE(Exists(wininit));
  DeleteFileW(Wide(backup));  // the boot code keeps the processed file as wininit.bak
}

}  // namespace
}  // namespace talu

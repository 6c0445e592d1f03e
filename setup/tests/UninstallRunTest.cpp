// The uninstall run of an installed copy: what goes at once, what waits for the restart, and
// what a restart then removes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "FileSystem.h"
#include "SetupConst.h"
#include "SetupTestSupport.h"
#include "gui/text.h"

namespace talu::setup::test {
namespace {

using gui::MessageKind;
using gui::Utf16ToUtf8;

const std::vector<int> kProgress{10, 30, 50, 60, 100};

class UninstallRun : public SetupTest {
 protected:
  // Installs into `target` with a run of the window, as a user would.
  void InstallInto(const std::u16string& target) {
    PlacePayload(u"TDfls.zdt");
    auto installer = MakeForm();
    installer->Edit1.SetText(target);
    installer->Button1.Click();
    ASSERT_TRUE(Exists(target + u"\\TaluDemo.exe"));
    ASSERT_TRUE(Exists(ProgramsFolder() + u"Marlo\\Talu\\Uninstall.lnk"));
  }

  // Runs the installed uninstaller's window to its end.
  void Uninstall(const std::u16string& target) {
    auto form = MakeForm({}, target + u"\\Uninstall.exe");
    ASSERT_EQ(form->Button1.Caption(), u"Uninstall");
    ASSERT_EQ(form->Edit1.Text(), target);
    log_ = {};
    Watch(*form);
    form->Button1.Click();
    EXPECT_EQ(log_.statuses, kUninstallStatuses);
    EXPECT_EQ(log_.progress, kProgress);
    ASSERT_FALSE(dialogs_.Questions().empty());
    EXPECT_EQ(dialogs_.Questions().back().kind, MessageKind::Information);
    EXPECT_EQ(dialogs_.Questions().back().text, u"Some files will be deleted after reboot.");
    EXPECT_TRUE(form->Closed());
  }
};

// The product still runs and holds a data file deep in CSTALU. What cannot go now goes at the
// restart, or for a user without administrator rights at the next logon, and then nothing of
// the product is left but the folder that holds the user's own file.
TEST_F(UninstallRun, SchedulesWhatIsLockedAndTheRestartRemovesIt) {
  const std::u16string target = root_ / u"Talu Demo", mine = target + u"\\notes.txt";
  const std::u16string font = target + u"\\CSTALU\\Fonts\\talu.fnt";
  for (const bool standardUser : {false, true}) {
    SCOPED_TRACE(standardUser);
    InstallInto(target);
    WriteText(mine, "mine");
    {
      talu::test::FileLocker running(target + u"\\TaluDemo.exe"), font_held(font);
      ASSERT_TRUE(running.locked() && font_held.locked());
      std::unique_ptr<talu::test::StandardUserRights> rights;
      if (standardUser) rights = std::make_unique<talu::test::StandardUserRights>();
      Uninstall(target);
    }
    EXPECT_TRUE(Exists(target + u"\\TaluDemo.exe") && Exists(font));
    EXPECT_EQ(IsPendingDeletion(target + u"\\TaluDemo.exe"), !standardUser);
    EXPECT_EQ(IsPendingDeletion(font), !standardUser);
    EXPECT_EQ(IsPendingDeletion(target + u"\\Uninstall.exe"), !standardUser);
    EXPECT_FALSE(Exists(target + u"\\TaluDemo.ico") || Exists(target + u"\\CSTALU\\words.dat"));
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_FALSE(Exists(ProgramsFolder() + u"Marlo"));  // the maker's group was left empty
    EXPECT_FALSE(RegistryKeyExists(kUninstallKey) || RegistryKeyExists(kProductKey));
    EXPECT_TRUE(RegistryKeyExists(u"Software\\Corvanis"));

    talu::test::RestartWine();
    talu::test::PlayNextLogon();
    for (const auto* gone : {u"\\TaluDemo.exe", u"\\Uninstall.exe", u"\\CSTALU"}) {
      EXPECT_FALSE(Exists(target + gone)) << Utf16ToUtf8(gone);
    }
    EXPECT_EQ(ReadText(mine), "mine");
    EXPECT_TRUE(talu::test::OurLogonValues().empty());
    DeleteFileW(gui::Wide(mine));
    RemoveDirectoryW(gui::Wide(target));
  }
}

// A reinstall between an uninstall and the restart (or the next logon), into a folder too long
// for short commands: the new installation survives the restart whole, and a second uninstall
// before it leaves nothing, not even the folder.
TEST_F(UninstallRun, AReinstallSurvivesTheRestartAndASecondUninstallLeavesNothing) {
  const std::u16string target = root_ / (u"Talu Demo " + std::u16string(100, u'x'));
  for (const bool standardUser : {false, true}) {
    SCOPED_TRACE(standardUser);
    const auto asUser = [standardUser](const std::function<void()>& run) {
      std::unique_ptr<talu::test::StandardUserRights> rights;
      if (standardUser) rights = std::make_unique<talu::test::StandardUserRights>();
      run();
    };
    const auto uninstallWhileRunning = [&] {
      talu::test::FileLocker running(target + u"\\TaluDemo.exe");
      ASSERT_TRUE(running.locked());
      asUser([&] { Uninstall(target); });
    };
    const auto reinstall = [&] { asUser([&] { InstallInto(target); }); };
    reinstall();
    uninstallWhileRunning();
    reinstall();
    talu::test::RestartWine();
    talu::test::PlayNextLogon();
    for (const auto* kept : {u"\\TaluDemo.exe", u"\\Uninstall.exe", u"\\CSTALU\\aes.dat"}) {
      EXPECT_TRUE(Exists(target + kept)) << Utf16ToUtf8(kept);
    }
    uninstallWhileRunning();
    reinstall();
    uninstallWhileRunning();
    talu::test::RestartWine();
    talu::test::PlayNextLogon();
    EXPECT_FALSE(Exists(target));
  }
}

// However the destination was typed, its installed uninstaller knows it as the registered one
// and takes the links and the registration with the files.
TEST_F(UninstallRun, RemovesTheRegistrationWhateverFormTheFolderWasTypedIn) {
  const std::u16string target = root_ / u"Typed Folder";
  talu::test::MakeDirs(target);
  std::u16string slashed = target;
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  for (const std::u16string& typed : {slashed, target.substr(2), ShortPathOf(target)}) {
    SCOPED_TRACE(Utf16ToUtf8(typed));
    InstallInto(typed);
    Uninstall(target);
    EXPECT_FALSE(RegistryKeyExists(kUninstallKey) || RegistryKeyExists(kProductKey));
    EXPECT_FALSE(Exists(DesktopLink()) || Exists(ProgramsFolder() + u"Marlo"));
  }
}

// What can be neither deleted nor scheduled (a standard user, a folder name the command
// interpreter would expand) is named in the one box instead of the promise of a restart.
TEST_F(UninstallRun, NamesWhatCanBeNeitherDeletedNorScheduled) {
  const std::u16string target = root_ / u"100%";
  InstallInto(target);
  auto form = MakeForm({}, target + u"\\Uninstall.exe");
  {
    talu::test::FileLocker running(target + u"\\TaluDemo.exe");
    const talu::test::StandardUserRights rights;
    ASSERT_TRUE(running.locked() && rights.applied());
    form->Button1.Click();
  }
  ASSERT_FALSE(dialogs_.Questions().empty());
  EXPECT_EQ(dialogs_.Questions().back().kind, MessageKind::Warning);
  EXPECT_EQ(dialogs_.Questions().back().text, u"These could not be deleted and remain:\r\n" +
                                                  target + u"\\TaluDemo.exe\r\n" + target +
                                                  u"\\Uninstall.exe\r\n" + target + u"\\");
  EXPECT_TRUE(talu::test::OurLogonValues().empty());
}

// An installation moved to another folder: the old folder's uninstaller goes with the old
// version, and one left there anyway takes only that folder's files, not the links and the
// registration of the new installation.
TEST_F(UninstallRun, AnOldFoldersUninstallerLeavesTheNewInstallationAlone) {
  const std::u16string old = root_ / u"A", now = root_ / u"B";
  InstallInto(old);
  dialogs_.QueueAnswer(gui::Answer::Yes);
  InstallInto(now);
  EXPECT_FALSE(Exists(old + u"\\Uninstall.exe"));

  WriteText(old + u"\\Uninstall.exe", "left from before");
  WriteText(old + u"\\TaluDemo.exe", "left from before");
  Uninstall(old);
  EXPECT_FALSE(Exists(old + u"\\TaluDemo.exe"));
  EXPECT_TRUE(Exists(now + u"\\TaluDemo.exe") && Exists(DesktopLink()));
  EXPECT_TRUE(Exists(ProgramsFolder() + u"Marlo\\Talu\\Uninstall.lnk"));
  EXPECT_EQ(RegistryText(kProductKey, u"WorkDir"), now);
}

TEST_F(UninstallRun, KeepsTheMakersOtherGroupsAndSchedulesEvenWithNothingInstalled) {
  const std::u16string other = ProgramsFolder() + u"Marlo\\Other";
  talu::test::MakeDirs(other);
  WriteText(other + u"\\Other.lnk", "another product of the maker");
  const std::u16string target = root_ / u"Empty";
  talu::test::MakeDirs(target);
  // A data folder that cannot be removed now (here a link that does not report itself as one).
  talu::test::MakeDirs(root_ / u"elsewhere");
  talu::test::HostLink data(target + u"\\CSTALU", root_ / u"elsewhere");
  Uninstall(target);
  EXPECT_EQ(IsPendingDeletion(target + u"\\CSTALU"), Exists(target + u"\\CSTALU"));
  EXPECT_TRUE(Exists(other + u"\\Other.lnk"));
  EXPECT_TRUE(IsPendingDeletion(target + u"\\Uninstall.exe"));
  EXPECT_TRUE(IsPendingDeletion(target + u"\\") || IsPendingDeletion(target));
  talu::test::RemoveTree(ProgramsFolder() + u"Marlo");
}

}  // namespace
}  // namespace talu::setup::test

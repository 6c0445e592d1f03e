// The uninstall run of an installed copy: what goes at once, what waits for the restart, and
// what a restart then removes.
#include <gtest/gtest.h>

#include "SetupConst.h"
#include "SetupTestSupport.h"
#include "gui/text.h"

namespace talu::setup::test {
namespace {

using gui::MessageKind;

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

TEST_F(UninstallRun, SchedulesWhatIsLockedAndTheRestartRemovesIt) {
  const std::u16string target = root_ / u"Demo";
  InstallInto(target);
  {
    talu::test::FileLocker running(target + u"\\TaluDemo.exe");  // the product still runs
    ASSERT_TRUE(running.locked());
    Uninstall(target);
  }
  EXPECT_TRUE(Exists(target + u"\\TaluDemo.exe"));
  EXPECT_TRUE(IsPendingDeletion(target + u"\\TaluDemo.exe"));
  EXPECT_TRUE(IsPendingDeletion(target + u"\\Uninstall.exe"));  // the running program
  EXPECT_FALSE(Exists(target + u"\\TaluDemo.ico") || Exists(target + u"\\CSTALU"));
  EXPECT_FALSE(Exists(DesktopLink()));
  EXPECT_FALSE(Exists(ProgramsFolder() + u"Marlo"));  // the maker's group was left empty
  EXPECT_FALSE(RegistryKeyExists(kUninstallKey) || RegistryKeyExists(kProductKey));
  EXPECT_TRUE(RegistryKeyExists(u"Software\\Corvanis"));

  talu::test::RestartWine();
  EXPECT_FALSE(Exists(target + u"\\TaluDemo.exe"));
  EXPECT_FALSE(Exists(target + u"\\Uninstall.exe"));
  EXPECT_FALSE(Exists(target));
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

// The install run on real payloads made with Info-ZIP and 7-Zip: what it lays down, links
// and registers, the questions it asks and how it fails.
#include <gtest/gtest.h>

#include "Registry.h"
#include "SetupConst.h"
#include "SetupTestSupport.h"
#include "gui/text.h"

namespace talu::setup::test {
namespace {

using gui::Answer;
using gui::MessageKind;
using gui::Utf16ToUtf8;

// The last status lines of every install run.
const std::vector<std::u16string> kClosingStatuses{u"Create shortcut...", u"Delete tmp files...",
                                                   u"Successful"};

class InstallRun : public SetupTest {
 protected:
  InstallRun() { PlacePayload(u"TDfls.zdt"); }

  // The statuses before the closing ones, which must all name extracted items.
  std::vector<std::u16string> ExtractionStatuses() const {
    const auto& all = log_.statuses;
    EXPECT_GE(all.size(), kClosingStatuses.size());
    std::vector<std::u16string> closing(all.end() - 3, all.end());
    EXPECT_EQ(closing, kClosingStatuses);
    return {all.begin(), all.end() - 3};
  }

  void ExpectFinishedWindow(TForm1& form) {
    EXPECT_EQ(form.Button1.Caption(), u"Exit");
    EXPECT_TRUE(form.Button1.Enabled());
    for (gui::Window* control : std::initializer_list<gui::Window*>{&form.Button2, &form.BitBtn1,
                                                                    &form.Lang, &form.Edit1}) {
      EXPECT_FALSE(control->Enabled()) << Utf16ToUtf8(control->Caption());
    }
    EXPECT_EQ(form.Label1.Caption(), u"Successful");
    EXPECT_EQ(form.ProgressBar1.Position(), 100);
  }
};

TEST_F(InstallRun, KeepsTheChosenEditionAsTaluDemoExe) {
  const char* const contents[] = {"TaluDemo B\n", "TaluDemo G\n", "TaluDemo V\n", "TaluDemo J\n"};
  for (int language = 0; language < 4; ++language) {
    SCOPED_TRACE(language);
    PlacePayload(u"TDfls.zdt");
    const std::u16string target = root_ / (u"Edition" + gui::Utf8ToUtf16(std::to_string(language)));
    auto form = MakeForm();
    Install(*form, target, language);
    EXPECT_EQ(ReadText(target + u"\\TaluDemo.exe"), contents[language]);
    for (const char16_t* edition : kEditionFiles) EXPECT_FALSE(Exists(target + u"\\" + edition));
    EXPECT_TRUE(dialogs_.Questions().empty());
    RegDeleteTreeW(HKEY_CURRENT_USER, gui::Wide(kProductKey));  // no old version next time
  }
}

TEST_F(InstallRun, LaysDownLinksAndRegistersTheProduct) {
  const std::u16string target = root_ / u"Talu Demo";
  auto form = MakeForm();
  Install(*form, target);
  ExpectFinishedWindow(*form);
  EXPECT_TRUE(dialogs_.Questions().empty());

  const auto extracted = ExtractionStatuses();
  EXPECT_EQ(extracted.size(), 11u);
  for (const auto* name : {u"Extracting Uninstall.exe", u"Extracting CSTALU\\aes.dat",
                           u"Extracting CSTALU\\Fonts\\talu.fnt"}) {
    EXPECT_NE(std::find(extracted.begin(), extracted.end(), name), extracted.end())
        << Utf16ToUtf8(name);
  }
  ASSERT_FALSE(log_.progress.empty());
  EXPECT_TRUE(std::is_sorted(log_.progress.begin(), log_.progress.end()));
  EXPECT_EQ(log_.progress.back(), 100);

  const std::u16string d = target + u"\\";
  EXPECT_EQ(ReadText(d + u"CSTALU\\aes.dat"), "aes item\n");  // the AES-256 item
  EXPECT_EQ(ReadText(d + u"CSTALU\\Fonts\\talu.fnt"), "glyphs\n");
  EXPECT_TRUE(Exists(d + u"Uninstall.exe") && Exists(d + u"TaluDemo.ico"));

  const LinkInfo desktop = ReadLink(DesktopLink());
  EXPECT_EQ(desktop.target, d + u"TaluDemo.exe");
  EXPECT_EQ(desktop.icon, d + u"TaluDemo.ico");
  const std::u16string group = ProgramsFolder() + u"Marlo\\Talu\\";
  const LinkInfo program = ReadLink(group + u"TaluDemo.lnk");
  EXPECT_EQ(program.target, d + u"TaluDemo.exe");
  EXPECT_EQ(program.icon, d + u"TaluDemo.ico");
  const LinkInfo uninstall = ReadLink(group + u"Uninstall.lnk");
  EXPECT_EQ(uninstall.target, d + u"Uninstall.exe");
  EXPECT_EQ(uninstall.description, u"Uninstall TaluDemo");

  EXPECT_EQ(RegistryText(kUninstallKey, u"DisplayIcon"), d + u"TaluDemo.ico");
  EXPECT_EQ(RegistryText(kUninstallKey, u"DisplayName"), u"TaluDemo");
  EXPECT_EQ(RegistryText(kUninstallKey, u"Publisher"), u"Corvanis Ltd.");
  EXPECT_EQ(RegistryText(kUninstallKey, u"UninstallString"),
            u"\"" + d + u"Uninstall.exe\" Uninstall");
  EXPECT_EQ(RegistryText(kProductKey, u"WorkDir"), target);
  EXPECT_EQ(RegistryText(kProductKey, u"Version"), u"1.0.7");

  EXPECT_FALSE(Exists(setupDir_ + u"\\TDfls.zdt"));
  EXPECT_TRUE(IsPendingDeletion(setupDir_ + u"\\setup.exe"));
  form->Button1.Click();
  EXPECT_TRUE(form->Closed());
}

// An installation of an earlier run: its files and its product key.
void SeedOldInstallation(const std::u16string& folder) {
  talu::test::MakeDirs(folder + u"\\CSTALU");
  for (const auto* name : {u"\\TaluDemo.exe", u"\\TaluDemo.ico", u"\\CSTALU\\old.dat"}) {
    WriteText(folder + name, "old");
  }
  RegKey key;
  key.Create(HKEY_CURRENT_USER, kProductKey, KEY_ALL_ACCESS);
  key.WriteString(u"WorkDir", folder);
}

TEST_F(InstallRun, RemovesAnOldInstallationFirstOnYes) {
  const std::u16string old = root_ / u"Old", target = root_ / u"New";
  SeedOldInstallation(old);
  dialogs_.QueueAnswer(Answer::Yes);
  auto form = MakeForm();
  Install(*form, target);
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  const auto& question = dialogs_.Questions()[0];
  EXPECT_EQ(question.kind, MessageKind::Confirmation);
  EXPECT_EQ(question.text, u"Found old version.\r\nDo you want to uninstall the old version?");
  EXPECT_EQ(question.buttons, (gui::Buttons{Answer::Yes, Answer::Cancel}));
  EXPECT_EQ(question.defaultButton, Answer::Yes);
  ASSERT_GT(log_.statuses.size(), kUninstallStatuses.size());
  EXPECT_EQ(std::vector(log_.statuses.begin(), log_.statuses.begin() + 6), kUninstallStatuses);
  EXPECT_EQ(log_.statuses[6].substr(0, 11), u"Extracting ");
  EXPECT_FALSE(Exists(old + u"\\TaluDemo.exe") || Exists(old + u"\\CSTALU"));
  EXPECT_TRUE(Exists(target + u"\\TaluDemo.exe"));
  EXPECT_EQ(RegistryText(kProductKey, u"WorkDir"), target);
  ExpectFinishedWindow(*form);
}

TEST_F(InstallRun, CancelForAnOldInstallationEndsTheProgramWithNothingInstalled) {
  const std::u16string old = root_ / u"Old", target = root_ / u"New";
  SeedOldInstallation(old);
  dialogs_.QueueAnswer(Answer::Cancel);
  auto form = MakeForm();
  Install(*form, target);
  EXPECT_TRUE(form->Closed());
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_TRUE(log_.statuses.empty());
  EXPECT_TRUE(Exists(old + u"\\TaluDemo.exe"));
  EXPECT_FALSE(Exists(target + u"\\TaluDemo.exe"));
  EXPECT_TRUE(Exists(setupDir_ + u"\\TDfls.zdt"));
  EXPECT_EQ(RegistryText(kProductKey, u"WorkDir"), old);
}

TEST_F(InstallRun, PutsADrivelessDestinationOnDriveC) {
  const std::u16string relative = root_.path().substr(3) + u"\\NoDrive";
  auto form = MakeForm();
  Install(*form, relative);
  EXPECT_EQ(form->Edit1.Text(), u"C:\\" + relative);
  EXPECT_TRUE(Exists(u"C:\\" + relative + u"\\TaluDemo.exe"));
  EXPECT_EQ(RegistryText(kProductKey, u"WorkDir"), u"C:\\" + relative);
  EXPECT_EQ(RegistryText(kUninstallKey, u"UninstallString"),
            u"C:\\" + relative + u"\\Uninstall.exe Uninstall");
}

TEST_F(InstallRun, RefusesADestinationThatCannotBeCreated) {
  auto form = MakeForm();
  Install(*form, u"C:\\bad|name\\Talu");
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(dialogs_.Questions()[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs_.Questions()[0].text, u"Folder name is not valid!");
  for (gui::Window* control : std::initializer_list<gui::Window*>{
           &form->Button1, &form->Button2, &form->BitBtn1, &form->Lang, &form->Edit1}) {
    EXPECT_TRUE(control->Enabled()) << Utf16ToUtf8(control->Caption());
  }
  EXPECT_EQ(form->Button1.Caption(), u"Install");
  EXPECT_FALSE(RegistryKeyExists(kProductKey));
}

TEST_F(InstallRun, ReportsAPayloadMissingAtTheClick) {
  auto form = MakeForm();
  PlacePayload(u"");
  Install(*form, root_ / u"Demo");
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(dialogs_.Questions()[0].text, u"Required files are not found!");
  EXPECT_TRUE(form->Button1.Enabled() && form->BitBtn1.Enabled());
  EXPECT_FALSE(Exists(root_ / u"Demo"));
}

// A payload that is no archive stops the run as other stops do, also after an old version was
// removed: the message says so, the window is ready again, and the setup program stays.
TEST_F(InstallRun, StopsWithTheEngineMessageWhenThePayloadIsNoArchive) {
  const std::u16string old = root_ / u"Old", target = root_ / u"Demo";
  const std::u16string stopped =
      u"ZIP: Invalid archive file. - Native error: 00035\r\n"
      u"Installation stopped. TaluDemo is not registered.";
  for (const bool oldVersion : {false, true}) {
    SCOPED_TRACE(oldVersion);
    PlacePayload(u"TDfls-bad.zdt");
    if (oldVersion) {
      SeedOldInstallation(old);
      dialogs_.QueueAnswer(Answer::Yes);
    }
    const size_t asked = dialogs_.Questions().size();
    auto form = MakeForm();
    Install(*form, target);
    ASSERT_EQ(dialogs_.Questions().size(), asked + (oldVersion ? 2 : 1));
    EXPECT_EQ(dialogs_.Questions().back().kind, MessageKind::Error);
    EXPECT_EQ(dialogs_.Questions().back().text,
              oldVersion ? stopped + u"\r\nThe old version has been removed." : stopped);
    for (gui::Window* control : std::initializer_list<gui::Window*>{
             &form->Button1, &form->Button2, &form->BitBtn1, &form->Lang, &form->Edit1}) {
      EXPECT_TRUE(control->Enabled()) << Utf16ToUtf8(control->Caption());
    }
    EXPECT_EQ(form->Label1.Caption(), u"Installation progress");
    EXPECT_EQ(form->ProgressBar1.Position(), 0);
    EXPECT_FALSE(RegistryKeyExists(kUninstallKey) || RegistryKeyExists(kProductKey));
    EXPECT_TRUE(Exists(setupDir_ + u"\\TDfls.zdt"));
    EXPECT_FALSE(IsPendingDeletion(setupDir_ + u"\\setup.exe"));
  }
}

TEST_F(InstallRun, SkipsAnItemWhosePasswordBoxIsCancelled) {
  PlacePayload(u"TDfls-extra.zdt");
  dialogs_.QueuePassword(u"not-the-password");
  dialogs_.QueuePassword(std::nullopt);
  const std::u16string target = root_ / u"Demo";
  auto form = MakeForm();
  Install(*form, target);
  EXPECT_EQ(
      dialogs_.PasswordRequests(),
      (std::vector<std::u16string>{u"Password for \"Extra.txt\"", u"Password for \"Extra.txt\""}));
  EXPECT_TRUE(dialogs_.Questions().empty());
  EXPECT_FALSE(Exists(target + u"\\Extra.txt"));
  EXPECT_TRUE(Exists(target + u"\\TaluDemo.exe"));
  ExpectFinishedWindow(*form);
}

TEST_F(InstallRun, KeepsTheUsersOwnFilesThroughInstallAndUninstall) {
  const std::u16string target = root_ / u"Shared";
  talu::test::MakeDirs(target + u"\\Data");
  WriteText(target + u"\\notes.txt", "mine");
  WriteText(target + u"\\Data\\report.doc", "mine too");
  WriteText(target + u"\\TaluDemo.exe", "an older TaluDemo");  // the product's: replaced
  auto form = MakeForm();
  Install(*form, target, 1);
  EXPECT_EQ(ReadText(target + u"\\TaluDemo.exe"), "TaluDemo G\n");
  form->Uninstall_CR(target);
  EXPECT_FALSE(Exists(target + u"\\TaluDemo.exe"));
  EXPECT_EQ(ReadText(target + u"\\notes.txt"), "mine");
  EXPECT_EQ(ReadText(target + u"\\Data\\report.doc"), "mine too");
}

}  // namespace
}  // namespace talu::setup::test

// Install runs on a machine that gets in the way: files held open by another process, read-only
// files and folders, registry values of the wrong type, a folder where the payload should be.
// Each run must end in one of the window's states, with nothing of the user's lost.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>

#include "MS_File.h"
#include "PendingRenames.h"
#include "Registry.h"
#include "SetupConst.h"
#include "SetupTestSupport.h"
#include "gui/text.h"

namespace talu::setup::test {
namespace {

using gui::Answer;
using gui::Utf16ToUtf8;
using gui::Wide;

DWORD Attributes(const std::u16string& path) {
  return GetFileAttributesW(Wide(path));
}

void AddAttributes(const std::u16string& path, DWORD added) {
  SetFileAttributesW(Wide(path), Attributes(path) | added);
}

// A registry value exactly as stored: its type and its bytes.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<char> data;
  bool operator==(const RawValue&) const = default;
};

RawValue ReadValue(HKEY root, const std::u16string& key, const std::u16string& name) {
  RegKey opened;
  RawValue value;
  DWORD size = 0;
  if (!opened.Open(root, key, KEY_READ) || !opened.ReadRaw(name, nullptr, size, value.type)) {
    return {};
  }
  value.data.resize(size);
  opened.ReadRaw(name, value.data.data(), size, value.type);
  return value;
}

void WriteValue(HKEY root, const std::u16string& key, const std::u16string& name,
                const RawValue& value) {
  RegKey opened;
  ASSERT_TRUE(opened.Create(root, key, KEY_ALL_ACCESS));
  ASSERT_TRUE(
      opened.WriteRaw(name, value.type, value.data.data(), static_cast<DWORD>(value.data.size())));
}

// UTF-16 bytes of zero-terminated strings, with the closing zero of a list when `list`.
std::vector<char> Utf16Bytes(std::initializer_list<std::u16string> strings, bool list) {
  std::u16string text;
  for (const auto& s : strings) text += s + u'\0';
  if (list) text += u'\0';
  std::vector<char> bytes(text.size() * 2);
  std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

class InstallHazards : public SetupTest {
 protected:
  InstallHazards() { PlacePayload(u"TDfls.zdt"); }

  void ExpectSuccessful(TForm1& form) {
    EXPECT_EQ(form.Label1.Caption(), u"Successful");
    EXPECT_EQ(form.Button1.Caption(), u"Exit");
    EXPECT_EQ(RegistryText(kProductKey, u"WorkDir"), target_);
  }

  const std::u16string target_ = root_ / u"Demo";
  const std::u16string data_ = target_ + u"\\CSTALU\\words.dat";
};

TEST_F(InstallHazards, AFileHeldOpenIsAskedAboutAndIgnoredIntact) {
  talu::test::MakeDirs(target_ + u"\\CSTALU");
  WriteText(data_, "read by the running product");
  talu::test::FileLocker product(data_);
  ASSERT_TRUE(product.locked());
  dialogs_.QueueAnswer(Answer::Ignore);
  auto form = MakeForm();
  Install(*form, target_);
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  const auto& question = dialogs_.Questions()[0];
  EXPECT_EQ(question.kind, gui::MessageKind::Confirmation);
  const std::string text = Utf16ToUtf8(question.text);
  EXPECT_NE(text.find("Cannot create file \"" + Utf16ToUtf8(data_) + "\""), std::string::npos)
      << text;
  EXPECT_TRUE(text.ends_with(". File processing error, possibly disk is full")) << text;
  EXPECT_EQ(question.buttons, (gui::Buttons{Answer::Abort, Answer::Retry, Answer::Ignore}));
  EXPECT_EQ(ReadText(data_), "read by the running product");
  EXPECT_EQ(ReadText(target_ + u"\\CSTALU\\aes.dat"), "aes item\n");
  ExpectSuccessful(*form);
}

// Abort stops the run before anything is registered, linked or deleted; the window is ready
// again, and a second try after the product has ended installs.
TEST_F(InstallHazards, AnAbortedExtractionKeepsThePayloadAndRegistersNothing) {
  talu::test::MakeDirs(target_ + u"\\CSTALU");
  WriteText(data_, "read by the running product");
  auto product = std::make_unique<talu::test::FileLocker>(data_);
  ASSERT_TRUE(product->locked());
  dialogs_.QueueAnswer(Answer::Abort);
  auto form = MakeForm();
  Install(*form, target_);
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(form->Label1.Caption(), u"Installation progress");
  EXPECT_EQ(form->ProgressBar1.Position(), 0);
  EXPECT_EQ(form->Button1.Caption(), u"Install");
  for (gui::Window* control : std::initializer_list<gui::Window*>{
           &form->Button1, &form->Button2, &form->BitBtn1, &form->Lang, &form->Edit1}) {
    EXPECT_TRUE(control->Enabled()) << Utf16ToUtf8(control->Caption());
  }
  EXPECT_TRUE(Exists(setupDir_ + u"\\TDfls.zdt"));
  EXPECT_FALSE(IsPendingDeletion(setupDir_ + u"\\setup.exe"));
  EXPECT_FALSE(RegistryKeyExists(kUninstallKey) || RegistryKeyExists(kProductKey));
  EXPECT_FALSE(Exists(DesktopLink()) || Exists(ProgramsFolder() + u"Marlo"));
  EXPECT_EQ(ReadText(data_), "read by the running product");

  product.reset();
  form->Button1.Click();
  EXPECT_EQ(dialogs_.Questions().size(), 1u);
  ExpectSuccessful(*form);
  EXPECT_EQ(ReadText(data_).substr(0, 12), "talu data 1\n");
}

// The old program still runs while a new edition is installed over it: the new one takes its
// place at the next restart, and the old one's pending deletion does not take the new one.
TEST_F(InstallHazards, ARunningOldProgramIsReplacedAtTheNextRestart) {
  talu::test::MakeDirs(target_);
  WriteText(target_ + u"\\TaluDemo.exe", "the old program");
  {
    RegKey key;
    key.Create(HKEY_CURRENT_USER, kProductKey, KEY_ALL_ACCESS);
    key.WriteString(u"WorkDir", target_);
  }
  talu::test::FileLocker running(target_ + u"\\TaluDemo.exe");
  ASSERT_TRUE(running.locked());
  dialogs_.QueueAnswer(Answer::Yes);
  auto form = MakeForm();
  Install(*form, target_, 1);
  ExpectSuccessful(*form);
  ASSERT_EQ(dialogs_.Questions().size(), 2u);
  EXPECT_EQ(dialogs_.Questions()[1].kind, gui::MessageKind::Information);
  EXPECT_EQ(dialogs_.Questions()[1].text, u"The installation will be completed after reboot.");
  EXPECT_EQ(ReadText(target_ + u"\\TaluDemo.exe"), "the old program");
  EXPECT_FALSE(IsPendingDeletion(target_ + u"\\TaluDemo.exe"));
  running.Release();

  talu::test::RestartWine();
  EXPECT_EQ(ReadText(target_ + u"\\TaluDemo.exe"), "TaluDemo G\n");
  EXPECT_FALSE(Exists(target_ + u"\\Talu_Demo_0107G.exe"));
  EXPECT_TRUE(Exists(target_ + u"\\Uninstall.exe") && Exists(target_ + u"\\CSTALU\\aes.dat"));
}

// Without the right to schedule that replacement (a user without administrator rights) the
// run stops instead of reporting an installation the old program still stands in for; once
// the old program has ended, Install works.
TEST_F(InstallHazards, ARunningOldProgramThatCannotBeReplacedStopsTheRun) {
  talu::test::MakeDirs(target_);
  WriteText(target_ + u"\\TaluDemo.exe", "the old program");
  auto running = std::make_unique<talu::test::FileLocker>(target_ + u"\\TaluDemo.exe");
  ASSERT_TRUE(running->locked());
  auto form = MakeForm();
  {
    const talu::test::StandardUserRights denied;
    ASSERT_TRUE(denied.applied());
    Install(*form, target_, 1);
  }
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(dialogs_.Questions()[0].kind, gui::MessageKind::Error);
  EXPECT_EQ(dialogs_.Questions()[0].text,
            u"TaluDemo.exe is in use and cannot be replaced.\r\n"
            u"Installation stopped. TaluDemo is not registered.");
  EXPECT_EQ(form->Label1.Caption(), u"Installation progress");
  EXPECT_FALSE(RegistryKeyExists(kProductKey));
  EXPECT_TRUE(Exists(setupDir_ + u"\\TDfls.zdt"));

  running.reset();
  form->Button1.Click();
  ExpectSuccessful(*form);
  EXPECT_EQ(ReadText(target_ + u"\\TaluDemo.exe"), "TaluDemo G\n");
}

// The same over a registered old version: the box says that the old program goes at the next
// logon, and it does.
TEST_F(InstallHazards, AStoppedUpgradeSaysTheOldProgramGoesAfterReboot) {
  const talu::test::StandardUserRights denied;
  ASSERT_TRUE(denied.applied());
  Install(*MakeForm(), target_);
  {
    talu::test::FileLocker running(target_ + u"\\TaluDemo.exe");
    ASSERT_TRUE(running.locked());
    PlacePayload(u"TDfls.zdt");
    dialogs_.QueueAnswer(Answer::Yes);
    Install(*MakeForm(), target_, 1);
  }
  ASSERT_FALSE(dialogs_.Questions().empty());
  EXPECT_EQ(dialogs_.Questions().back().text,
            u"TaluDemo.exe is in use and cannot be replaced.\r\n"
            u"Installation stopped. TaluDemo is not registered.\r\n"
            u"The old version will be removed after reboot.");
  talu::test::RestartWine();
  talu::test::PlayNextLogon();
  EXPECT_FALSE(Exists(target_ + u"\\TaluDemo.exe"));
}

// Deletions of the product's files that an administrator's uninstall left in the machine-wide
// list: an install without the right to withdraw them names them in a warning, and keeps the
// setup program and the payload for the run after the restart.
TEST_F(InstallHazards, PendingDeletionsItMayNotWithdrawAreNamed) {
  talu::test::MakeDirs(target_);
  for (const char16_t* name : {kProgramName, kUninstallerName}) {
    WriteText(target_ + u"\\" + name, "old");
    ASSERT_TRUE(DeleteFileNextBoot(target_ + u"\\" + name));
  }
  auto form = MakeForm();
  {
    const talu::test::StandardUserRights denied;
    ASSERT_TRUE(denied.applied());
    Install(*form, target_);
  }
  ExpectSuccessful(*form);
  ASSERT_FALSE(dialogs_.Questions().empty());
  EXPECT_EQ(dialogs_.Questions().back().kind, gui::MessageKind::Warning);
  EXPECT_EQ(dialogs_.Questions().back().text,
            u"These files of the new installation will still be deleted at the next restart:\r\n" +
                target_ + u"\\TaluDemo.exe\r\n" + target_ +
                u"\\Uninstall.exe\r\nRestart Windows, then run setup again.");
  EXPECT_TRUE(Exists(setupDir_ + u"\\TDfls.zdt"));
  EXPECT_TRUE(talu::test::OurLogonValues().empty());
}

// An item that failed and was ignored leaves no "Successful", registration or link to a product
// file that is not there: an edition file held open, a folder of the user's in the way.
TEST_F(InstallHazards, AMissingProductFileStopsTheRunWithItsName) {
  struct Case {
    const char16_t* inTheWay;
    bool folder;
    const char16_t* reason;
  };
  const Case cases[] = {
      {u"Talu_Demo_0107B.exe", false, u"TaluDemo.exe could not be installed."},
      {u"Uninstall.exe", true, u"Uninstall.exe could not be installed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.inTheWay));
    PlacePayload(u"TDfls.zdt");
    const std::u16string path = target_ + u"\\" + c.inTheWay;
    talu::test::MakeDirs(c.folder ? path : target_);
    WriteText(c.folder ? path + u"\\mine.txt" : path, "in the way");
    std::unique_ptr<talu::test::FileLocker> holder;
    if (!c.folder) holder = std::make_unique<talu::test::FileLocker>(path);
    dialogs_.QueueAnswer(Answer::Ignore);
    const size_t asked = dialogs_.Questions().size();
    auto form = MakeForm();
    Install(*form, target_);
    ASSERT_EQ(dialogs_.Questions().size(), asked + 2);
    EXPECT_EQ(dialogs_.Questions().back().text,
              c.reason + std::u16string(u"\r\nInstallation stopped. TaluDemo is not registered."));
    EXPECT_EQ(form->Label1.Caption(), u"Installation progress");
    EXPECT_FALSE(RegistryKeyExists(kProductKey) || RegistryKeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(DesktopLink()) || Exists(ProgramsFolder() + u"Marlo"));
    holder.reset();
    talu::test::RemoveTree(target_);
  }
}

// The new edition's file that waits to replace the program goes with the uninstall even when
// it is read-only or held open, and with it the whole folder at the restart.
TEST_F(InstallHazards, AnUninstallBeforeThatRestartLeavesNoProgramBehind) {
  struct Leftover {
    const char* name;
    DWORD attributes;
    bool held;
  };
  const std::u16string edition = target_ + u"\\Talu_Demo_0107J.exe";
  for (const Leftover leftover :
       {Leftover{"plain", 0, false}, Leftover{"read-only", FILE_ATTRIBUTE_READONLY, false},
        Leftover{"held open", 0, true}}) {
    SCOPED_TRACE(leftover.name);
    PlacePayload(u"TDfls.zdt");
    talu::test::MakeDirs(target_);
    WriteText(target_ + u"\\TaluDemo.exe", "the old program");
    {
      talu::test::FileLocker running(target_ + u"\\TaluDemo.exe");
      ASSERT_TRUE(running.locked());
      auto form = MakeForm();
      Install(*form, target_, 3);
      ExpectSuccessful(*form);
    }
    ASSERT_TRUE(Exists(edition));
    AddAttributes(edition, leftover.attributes);
    {
      std::unique_ptr<talu::test::FileLocker> holder;
      if (leftover.held) holder = std::make_unique<talu::test::FileLocker>(edition);
      MakeForm({}, target_ + u"\\Uninstall.exe")->Uninstall_CR(target_);
    }
    talu::test::RestartWine();
    EXPECT_FALSE(Exists(target_ + u"\\TaluDemo.exe"));
    EXPECT_FALSE(Exists(edition));
    EXPECT_FALSE(Exists(target_));
  }
}

TEST_F(InstallHazards, ReadOnlyFilesOfTheProductAreReplacedAndTheUsersKept) {
  talu::test::MakeDirs(target_ + u"\\CSTALU");
  for (const auto* name : {u"\\TaluDemo.exe", u"\\TaluDemo.ico", u"\\CSTALU\\words.dat"}) {
    WriteText(target_ + name, "old");
    AddAttributes(target_ + name, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  }
  WriteText(target_ + u"\\notes.txt", "mine");
  AddAttributes(target_ + u"\\notes.txt", FILE_ATTRIBUTE_READONLY);
  AddAttributes(target_ + u"\\CSTALU", FILE_ATTRIBUTE_READONLY);
  AddAttributes(target_, FILE_ATTRIBUTE_READONLY);
  auto form = MakeForm();
  Install(*form, target_);
  EXPECT_TRUE(dialogs_.Questions().empty());
  ExpectSuccessful(*form);
  EXPECT_EQ(ReadText(target_ + u"\\TaluDemo.exe"), "TaluDemo B\n");
  EXPECT_EQ(ReadText(data_).substr(0, 12), "talu data 1\n");
  EXPECT_EQ(Attributes(target_ + u"\\TaluDemo.exe") & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ReadText(target_ + u"\\notes.txt"), "mine");
  EXPECT_NE(Attributes(target_ + u"\\notes.txt") & FILE_ATTRIBUTE_READONLY, 0u);

  form->Uninstall_CR(target_);
  EXPECT_FALSE(Exists(target_ + u"\\TaluDemo.exe") || Exists(target_ + u"\\CSTALU"));
  EXPECT_EQ(ReadText(target_ + u"\\notes.txt"), "mine");
}

// Files of the user where the destination or the data folder should be: nothing is installed
// over them and they stay as they were.
TEST_F(InstallHazards, AUsersFileInTheWayOfAFolderStays) {
  WriteText(target_, "a file named like the destination");
  auto form = MakeForm();
  Install(*form, target_);
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(dialogs_.Questions()[0].text, u"Folder name is not valid!");
  EXPECT_EQ(ReadText(target_), "a file named like the destination");

  DeleteFileW(Wide(target_));
  talu::test::MakeDirs(target_);
  WriteText(target_ + u"\\CSTALU", "a file named like the data folder");
  Install(*form, target_);  // no answer queued: the failure question is closed, which aborts
  ASSERT_EQ(dialogs_.Questions().size(), 2u);
  EXPECT_NE(dialogs_.Questions()[1].text.find(u"Cannot create directory"), std::u16string::npos);
  EXPECT_EQ(ReadText(target_ + u"\\CSTALU"), "a file named like the data folder");
  EXPECT_EQ(form->Label1.Caption(), u"Installation progress");
  EXPECT_TRUE(Exists(setupDir_ + u"\\TDfls.zdt"));
  EXPECT_FALSE(RegistryKeyExists(kProductKey));
}

// A "WorkDir" that is no string names no old installation: nothing is asked or removed, the
// new installation records itself and the key's other values stay.
TEST_F(InstallHazards, AWorkDirOfAnotherTypeNamesNoOldInstallation) {
  const std::u16string old = root_ / u"Old";
  talu::test::MakeDirs(old);
  WriteText(old + u"\\TaluDemo.exe", "old");
  const RawValue kinds[] = {
      {REG_DWORD, {7, 0, 0, 0}},
      {REG_BINARY, Utf16Bytes({old}, false)},
      {REG_MULTI_SZ, Utf16Bytes({old}, true)},
  };
  const RawValue note{REG_SZ, Utf16Bytes({u"the user's note"}, false)};
  for (const RawValue& workDir : kinds) {
    SCOPED_TRACE(workDir.type);
    PlacePayload(u"TDfls.zdt");
    WriteValue(HKEY_CURRENT_USER, kProductKey, u"WorkDir", workDir);
    WriteValue(HKEY_CURRENT_USER, kProductKey, u"Note", note);
    const size_t asked = dialogs_.Questions().size();
    auto form = MakeForm();
    Install(*form, target_);
    EXPECT_EQ(dialogs_.Questions().size(), asked);
    ExpectSuccessful(*form);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kProductKey, u"Note"), note);
    EXPECT_EQ(ReadText(old + u"\\TaluDemo.exe"), "old");
  }
}

// A pending-operations value of another type is never clobbered: the withdrawals leave it
// alone unless it holds one of their deletions, and then keep every other entry.
TEST_F(InstallHazards, APendingValueOfAnotherTypeKeepsItsEntries) {
  const std::u16string other = u"\\??\\C:\\somebody\\else.tmp";
  const std::u16string ours = u"\\??\\" + target_ + u"\\TaluDemo.exe";
  const RawValue untouched[] = {
      {REG_SZ, Utf16Bytes({ours}, false)},
      {REG_EXPAND_SZ, Utf16Bytes({ours}, false)},
      {REG_BINARY, Utf16Bytes({other, u""}, true)},
  };
  for (const RawValue& value : untouched) {
    SCOPED_TRACE(value.type);
    PlacePayload(u"TDfls.zdt");
    RegDeleteTreeW(HKEY_CURRENT_USER, Wide(kProductKey));
    WriteValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenamesValue, value);
    auto form = MakeForm();
    Install(*form, target_);
    ExpectSuccessful(*form);
    const RawValue after = ReadValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenamesValue);
    if (after.type == REG_MULTI_SZ) {  // the platform appended its own request
      EXPECT_TRUE(IsPendingDeletion(u"C:\\somebody\\else.tmp"));
    } else {
      EXPECT_EQ(after, value);
    }
  }
  // A list stored as binary that holds one of the withdrawn deletions.
  PlacePayload(u"TDfls.zdt");
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(kProductKey));
  WriteValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, kPendingRenamesValue,
             {REG_BINARY, Utf16Bytes({other, u"", ours, u""}, true)});
  auto form = MakeForm();
  Install(*form, target_);
  ExpectSuccessful(*form);
  EXPECT_TRUE(IsPendingDeletion(u"C:\\somebody\\else.tmp"));
  EXPECT_FALSE(IsPendingDeletion(target_ + u"\\TaluDemo.exe"));
}

TEST_F(InstallHazards, AFolderInThePayloadsPlaceIsNoPayload) {
  const std::u16string folder = setupDir_ + u"\\TDfls.zdt";
  PlacePayload(u"");
  talu::test::MakeDirs(folder);
  WriteText(folder + u"\\notes.txt", "mine");
  auto form = MakeForm();
  EXPECT_FALSE(form->Button1.Enabled());
  EXPECT_EQ(form->Label5.Caption(), u"Required files are not found!");

  // The folder takes the payload's place while the window is open.
  talu::test::RemoveTree(folder);
  PlacePayload(u"TDfls.zdt");
  auto ready = MakeForm();
  PlacePayload(u"");
  talu::test::MakeDirs(folder);
  WriteText(folder + u"\\notes.txt", "mine");
  Install(*ready, target_);
  ASSERT_EQ(dialogs_.Questions().size(), 1u);
  EXPECT_EQ(dialogs_.Questions()[0].text, u"Required files are not found!");
  EXPECT_TRUE(ready->Button1.Enabled());
  EXPECT_EQ(ReadText(folder + u"\\notes.txt"), "mine");
  EXPECT_FALSE(Exists(target_));
}

}  // namespace
}  // namespace talu::setup::test

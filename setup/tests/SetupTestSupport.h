// Scaffolding of the setup program's tests under Wine: a setup folder with a payload as the
// current directory, scripted dialogs for the window and the archive engine, a record of the
// status lines and progress values of a run, and the product's traces in the user's shell
// folders, the registry and the list of deletions pending for the next restart.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Talu_Seup_Unit.h"
#include "TestSupport.h"
#include "ZipDialogPrompts.h"
#include "gui/scripted_dialogs.h"

namespace talu::setup::test {

using talu::test::Exists;
using talu::test::ReadText;
using talu::test::WriteText;

// A payload made at build time (TDfls.zdt, TDfls-extra.zdt, TDfls-bad.zdt).
std::u16string PayloadSource(const std::u16string& name);

// The user's desktop link and start-menu group folders of the product.
std::u16string DesktopLink();
std::u16string ProgramsFolder();  // ending in "\"

// The sources of the deletions pending for the next restart, without the "\??\" prefix.
std::vector<std::u16string> PendingDeletions();
bool IsPendingDeletion(const std::u16string& path);

struct LinkInfo {
  std::u16string target, icon, description, workingDir;
};
// What a shell link file holds; empty fields when it cannot be read.
LinkInfo ReadLink(const std::u16string& path);

std::u16string RegistryText(const std::u16string& key, const std::u16string& value);
bool RegistryKeyExists(const std::u16string& key);

// The status lines of an uninstall run, in order.
inline const std::vector<std::u16string> kUninstallStatuses{
    u"Delete shortcut",     u"TaluDemo.exe",   u"Delete CSTALU files",
    u"Delete TaluDemo.ico", u"Clear Registry", u"Successful"};

// The status lines and progress values a run shows, each change once.
struct RunLog {
  std::vector<std::u16string> statuses;
  std::vector<int> progress;
};

class SetupTest : public ::testing::Test {
 protected:
  SetupTest();
  ~SetupTest() override;

  // The setup folder holds the payload `name` as "TDfls.zdt" (or nothing for "").
  void PlacePayload(const std::u16string& name);
  // A setup window as a run with these arguments from `program` would create it (default:
  // setup.exe in the setup folder).
  std::unique_ptr<TForm1> MakeForm(std::vector<std::u16string> arguments = {},
                                   std::u16string program = u"");
  // Records the run steps of `form` into `log`.
  void Watch(TForm1& form);
  // Types the destination and presses Install.
  void Install(TForm1& form, const std::u16string& destination, int language = 0);

  talu::test::TempDir root_{u"C:\\"};
  const std::u16string setupDir_ = root_ / u"setup";
  gui::ScriptedDialogs dialogs_;
  RunLog log_;

 private:
  void CleanProductTraces();
  std::u16string previousDirectory_;
  std::vector<char> savedPending_;
  bool hadPending_ = false;
  gui::ScopedDialogs scope_{dialogs_};
  TZipDialogPrompts prompts_;
};

}  // namespace talu::setup::test

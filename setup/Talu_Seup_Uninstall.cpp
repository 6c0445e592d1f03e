// The uninstall run: the uninstall branch of the command button, Uninstall_CR and the
// attribute routine both runs use.
#include <windows.h>

#include <algorithm>

#include "FileSystem.h"
#include "Get_Dir.h"
#include "MS_File.h"
#include "MS_Func.h"
#include "ProductFiles.h"
#include "SetupConst.h"
#include "Talu_Seup_Unit.h"
#include "WideText.h"
#include "gui/dialogs.h"

namespace talu::setup {
namespace {

// Each step of the run pauses this long so that its status line can be read.
constexpr int kStepPause = 500;

}  // namespace

void TForm1::UninstallClick() {
  ForgetLeftovers();
  Uninstall_CR(MyFolder);
  ReportLeftovers(true);
  Close();
}

void TForm1::Uninstall_CR(const std::u16string& TargetDir) {
  const std::u16string target = CorrectDir(TargetDir);
  // The uninstaller of a folder the product has since left must not take the links and the
  // registration of the installation that lives elsewhere now.
  const bool registered = IsRegisteredFolder(target);
  Button2.SetEnabled(false);

  UninstallStep(u"Delete shortcut", 10);
  const std::u16string desktopLink = InShellFolder(GetDeskTopDir(), kLinkName);
  if (registered && !desktopLink.empty() && FileExists(desktopLink)) {
    DeleteFileW(Wide(desktopLink));
  }

  UninstallStep(u"TaluDemo.exe", 30);
  // An install over a running program leaves the new edition's file to replace TaluDemo.exe
  // at the next restart; without it that replacement cannot bring the program back. When the
  // file can only go at the restart, the replacement runs there first, so TaluDemo.exe must go
  // after it.
  bool editionsGone = true;
  for (const char16_t* edition : kEditionFiles) {
    editionsGone = DeleteOrSchedule(target + edition) && editionsGone;
  }
  if (DeleteOrSchedule(target + kProgramName) && !editionsGone) {
    ScheduleOrNote(target + kProgramName);
  }

  UninstallStep(u"Delete CSTALU files", 50);
  for (const std::u16string& remain : DeleteFolderTreeRemains(target + kDataFolderName)) {
    ScheduleOrNote(remain);
  }

  UninstallStep(u"Delete TaluDemo.ico", 60);
  DeleteOrSchedule(target + kIconName);
  // The folder's uninstaller goes too; when it is the running program, the restart takes it.
  if (!SamePath(target + kUninstallerName, context_.programPath)) {
    DeleteOrSchedule(target + kUninstallerName);
  }
  if (registered) {
    // These remove only links named after the targets in the Startup folder, which the install
    // run never makes; the start-menu links go with their group.
    const std::u16string group = InShellFolder(GetProgramDir(), kProductGroup);
    DeleteShortcut(target + kProgramName, group + u"\\" + kLinkName);
    DeleteShortcut(target + kUninstallerName, group + u"\\" + kUninstallLinkName);
    RemoveStartMenuGroups();
  }

  SetStatus(u"Clear Registry");
  msdelay(kStepPause);
  // The running program and its folder can only go at the next restart, the file first.
  ScheduleOrNote(context_.programPath);
  ScheduleOrNote(target);
  if (registered) ClearRegistry();
  SetProgress(100);
  SetStatus(kTextSuccessful);
}

void TForm1::UninstallStep(const std::u16string& status, int progress) {
  SetStatus(status);
  SetProgress(progress);
  msdelay(kStepPause);
}

bool TForm1::DeleteOrSchedule(const std::u16string& file) {
  ClearFileAtrrib(file);
  if (!FileExists(file) || DeleteFileW(Wide(file))) return true;
  ScheduleOrNote(file);
  return false;
}

bool TForm1::IsRegisteredFolder(const std::u16string& target) {
  const std::u16string workDir = CheckForOldVersion();
  return workDir.empty() || SamePath(workDir, target);
}

void TForm1::ForgetLeftovers() {
  scheduled_.clear();
  stays_.clear();
}

void TForm1::ScheduleOrNote(const std::u16string& path) {
  std::vector<std::u16string>& into = DeleteFileNextBoot(path) ? scheduled_ : stays_;
  if (std::find(into.begin(), into.end(), path) == into.end()) into.push_back(path);
}

void TForm1::ReportLeftovers(bool tellScheduled) {
  const bool tell = tellScheduled && !scheduled_.empty();
  if (stays_.empty()) {
    if (tell) gui::CurrentDialogs().ShowInformation(kTextAfterReboot);
    return;
  }
  std::u16string head = kTextStays;
  if (tell) head = kTextAfterReboot + (u"\r\n" + head);
  ShowList(head, stays_, u"");
}

void TForm1::ShowList(const std::u16string& head, const std::vector<std::u16string>& paths,
                      const std::u16string& tail) {
  std::u16string message = head;
  for (const std::u16string& path : paths) message += u"\r\n" + path;
  if (!tail.empty()) message += u"\r\n" + tail;
  gui::CurrentDialogs().Ask(gui::MessageKind::Warning, message, {gui::Answer::OK}, gui::Answer::OK);
}

void TForm1::RemoveStartMenuGroups() {
  const std::u16string programs = GetProgramDir();
  const std::u16string group = InShellFolder(programs, kProductGroup);
  if (group.empty()) return;
  RemoveFolderEx(group, true);
  const std::u16string maker = InShellFolder(programs, kMakerGroup);
  if (IsDirectoryEmpty(maker)) RemoveFolderEx(maker, true);
}

void TForm1::ClearFileAtrrib(const std::u16string& FileName) {
  ClearReadOnlyAttributes(FileName);
}

}  // namespace talu::setup

// The uninstall run: the uninstall branch of the command button, Uninstall_CR and the
// attribute routine both runs use.
#include <windows.h>

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
  Uninstall_CR(MyFolder);
  gui::CurrentDialogs().ShowInformation(kTextAfterReboot);
  Close();
}

void TForm1::Uninstall_CR(const std::u16string& TargetDir) {
  const std::u16string target = CorrectDir(TargetDir);
  Button2.SetEnabled(false);

  UninstallStep(u"Delete shortcut", 10);
  const std::u16string desktopLink = InShellFolder(GetDeskTopDir(), kLinkName);
  if (!desktopLink.empty() && FileExists(desktopLink)) DeleteFileW(Wide(desktopLink));

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
    DeleteFileNextBoot(target + kProgramName);
  }

  UninstallStep(u"Delete CSTALU files", 50);
  if (!DeleteFolderTree(target + kDataFolderName, false)) {
    DeleteFileNextBoot(target + kDataFolderName);
  }

  UninstallStep(u"Delete TaluDemo.ico", 60);
  DeleteOrSchedule(target + kIconName);
  // These remove only links named after the targets in the Startup folder, which the install
  // run never makes; the start-menu links go with their group.
  const std::u16string group = InShellFolder(GetProgramDir(), kProductGroup);
  DeleteShortcut(target + kProgramName, group + u"\\" + kLinkName);
  DeleteShortcut(target + kUninstallerName, group + u"\\" + kUninstallLinkName);
  RemoveStartMenuGroups();

  SetStatus(u"Clear Registry");
  msdelay(kStepPause);
  // The running program and its folder can only go at the next restart, the file first.
  DeleteFileNextBoot(context_.programPath);
  DeleteFileNextBoot(target);
  ClearRegistry();
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
  DeleteFileNextBoot(file);
  return false;
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

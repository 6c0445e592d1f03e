// The install run: the install branch of the command button and Install_CR with the archive
// component's two events.
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
#include "ZipConst.h"
#include "gui/application.h"
#include "gui/dialogs.h"
#include "gui/text.h"
#include "platform/ZipPlatform.h"

namespace talu::setup {
namespace {

std::u16string PayloadPath() {
  return CorrectDir(zip::platform::CurrentDirectory()) + kPayloadName;
}

}  // namespace

void TForm1::InstallClick() {
  if (!FileExists(kPayloadName)) {
    gui::CurrentDialogs().ShowError(kTextFilesMissing);
    BitBtn1.SetEnabled(true);
    Button1.SetEnabled(true);
    return;
  }
  if (!PrepareDestination()) {
    gui::CurrentDialogs().ShowError(kTextFolderInvalid);
    Button1.SetEnabled(true);
    return;
  }
  DisableControls({&Button2, &BitBtn1, &Lang, &Edit1});
  ForgetLeftovers();
  const std::u16string oldFolder = CheckForOldVersion();
  oldVersionRemoved_ = false;
  if (!oldFolder.empty()) {
    const gui::Answer answer =
        gui::CurrentDialogs().Ask(gui::MessageKind::Confirmation, kTextOldVersion,
                                  {gui::Answer::Yes, gui::Answer::Cancel}, gui::Answer::Yes);
    if (answer != gui::Answer::Yes) {
      Close();
      return;
    }
    Uninstall_CR(oldFolder);
    oldVersionRemoved_ = true;
  }
  Install_CR(MyFolder);
  Button1.SetEnabled(true);
  ReportLeftovers(false);
}

// Takes the destination from the box (a missing drive becomes "C:\") and makes sure the
// folder exists. False when it cannot be created, or when it is relative to a drive's current
// folder: that would install below the setup folder and register a relative path.
bool TForm1::PrepareDestination() {
  MyFolder = Edit1.Text();
  if (!HasDrivePart(MyFolder)) MyFolder = kDriveRoot + MyFolder;
  Edit1.SetText(MyFolder);
  if (IsDriveRelative(MyFolder)) return false;
  if (DirectoryExists(MyFolder)) return true;
  return HasDrivePart(MyFolder) && zip::platform::ForceDirectories(CorrectDir(MyFolder));
}

void TForm1::Install_CR(std::u16string TargetDir) {
  BitBtn1.SetEnabled(false);
  TargetDir = CorrectDir(TargetDir);
  ClearProductItems(TargetDir);
  // Still there when another process holds it: the old program is running.
  const bool oldProgramStayed = FileExists(TargetDir + kProgramName);
  zip::platform::ForceDirectories(TargetDir);
  std::u16string failure;
  if (!ExtractPayload(TargetDir, failure)) {
    StopInstall(failure);
    return;
  }
  const TProgramPlacement placement = KeepChosenEdition(TargetDir, oldProgramStayed);
  if (placement == TProgramPlacement::Failed) {
    StopInstall(kTextProgramInUse);
    return;
  }
  // An item that failed and was ignored must not leave a registration or links to nothing.
  for (const char16_t* name : {kProgramName, kUninstallerName}) {
    if (!FileExists(TargetDir + name)) {
      StopInstall(name + std::u16string(kTextNotInstalled));
      return;
    }
  }
  // Nothing stops the run any more: an earlier uninstall may have scheduled what it laid down.
  const std::vector<std::u16string> doomed = WithdrawLaidDown(TargetDir);
  SetStatus(u"Create shortcut...");
  gui::ProcessMessages();
  CreateDesktopLink(TargetDir);
  SetStatus(u"Delete tmp files...");
  // Files that the restart still deletes need another run of this setup after it.
  if (doomed.empty()) {
    RemovePayload();
    ScheduleOrNote(context_.programPath);
  }
  SetStatus(kTextSuccessful);
  SetProgress(100);
  SetRegUninstall();
  CreateStartMenuLinks(TargetDir);
  msdelay(200);
  Button1.SetCaption(kExitCaption);
  Button2.SetEnabled(false);
  if (placement == TProgramPlacement::AtRestart) {
    gui::CurrentDialogs().ShowInformation(kTextCompletedAfterReboot);
  }
  if (!doomed.empty()) ShowList(kTextStillDeleted, doomed, kTextRestartAndRepeat);
}

std::vector<std::u16string> TForm1::WithdrawLaidDown(const std::u16string& target) {
  std::vector<std::u16string> paths{target, target + kProgramName};
  const auto add = [&paths](const std::u16string& path) {
    const auto same = [&path](const std::u16string& p) { return SameTextIgnoringCase(p, path); };
    if (std::none_of(paths.begin(), paths.end(), same)) paths.push_back(path);
  };
  for (const std::u16string& item : laidDown_) {
    for (size_t cut = item.find(u'\\'); cut != std::u16string::npos;
         cut = item.find(u'\\', cut + 1)) {
      add(target + item.substr(0, cut));
    }
    add(target + ExcludeTrailingBackslash(item));
  }
  std::vector<std::u16string> stay;
  for (const std::u16string& path : paths) {
    if (!FileExists(path) && !DirectoryExists(path)) continue;  // not laid down
    // A folder left pending goes only if it is empty by then; a file goes whatever it holds.
    if (!DesistDeleteFileNextBoot(path) && FileExists(path)) stay.push_back(path);
  }
  return stay;
}

bool TForm1::ExtractPayload(const std::u16string& target, std::u16string& failure) {
  ZIP.ResetAborted();
  laidDown_.clear();
  try {
    ZIP.SetFileName(PayloadPath());
    ZIP.OpenArchive();
    ZIP.SetPassword(kPayloadPassword);
    ZIP.SetBaseDir(target);
    ZIP.ExtractFiles(u"*.*", zip::kZipAllAttributes, u"");
  } catch (const std::exception& error) {
    failure = gui::Utf8ToUtf16(error.what());
  }
  ZIP.CloseArchive();
  return failure.empty() && !ZIP.Aborted();
}

// A run that stops registers, links and deletes nothing, and the window is ready for another
// try (or Cancel). The setup program and the payload must outlive a restart for that try: the
// removal of an old version has scheduled the running program for deletion. The user is told
// why the run stopped (no reason: the user aborted it) and, when an old version was removed,
// whether it is gone or what of it waits for the restart; nothing took its place.
void TForm1::StopInstall(const std::u16string& reason) {
  for (const std::u16string& kept : {context_.programPath, PayloadPath()}) {
    DesistDeleteFileNextBoot(kept);
    std::erase(stays_, kept);
    std::erase(scheduled_, kept);
  }
  for (gui::Window* control :
       std::initializer_list<gui::Window*>{&Button2, &BitBtn1, &Lang, &Edit1}) {
    control->SetEnabled(true);
  }
  SetStatus(kTextInstallProgress);
  SetProgress(0);
  if (reason.empty() && !oldVersionRemoved_) return;
  std::u16string message = reason.empty() ? u"" : reason + u"\r\n";
  message += kTextInstallStopped;
  // What could not even be scheduled is named in the box that follows.
  const auto left = [](const std::vector<std::u16string>& paths) {
    return std::any_of(paths.begin(), paths.end(),
                       [](const auto& path) { return FileExists(path); });
  };
  if (oldVersionRemoved_ && !left(stays_)) {
    message += u"\r\n";
    message += left(scheduled_) ? kTextOldVersionAfterReboot : kTextOldVersionRemoved;
  }
  gui::CurrentDialogs().ShowError(message);
}

TForm1::TProgramPlacement TForm1::KeepChosenEdition(const std::u16string& target,
                                                    bool oldProgramStayed) {
  const TEdition* edition = EditionAt(Lang.ItemIndex());
  if (edition == nullptr) return TProgramPlacement::Placed;
  for (const char16_t* other : edition->deleted) {
    if (FileExists(target + other)) DeleteFileW(Wide(target + other));
  }
  // Fails when the payload brought its own TaluDemo.exe; that one then stays. An old program
  // that could not be removed (it is running) is replaced at the next restart instead.
  const std::u16string kept = target + edition->kept, program = target + kProgramName;
  if (MoveFileW(Wide(kept), Wide(program)) || !oldProgramStayed) return TProgramPlacement::Placed;
  if (MoveFileExW(Wide(kept), Wide(program),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
    return TProgramPlacement::AtRestart;
  }
  return TProgramPlacement::Failed;
}

void TForm1::CreateDesktopLink(const std::u16string& target) {
  const std::u16string oldLink = InShellFolder(GetDeskTopDir(), kLinkName);
  if (!oldLink.empty() && FileExists(oldLink)) DeleteFileW(Wide(oldLink));
  if (!FileExists(target + kProgramName)) return;
  CreateShortcutEXEX(target + kProgramName, ShortcutType::_DESKTOP, u"", u"", kLinkName,
                     target + kIconName, u"", u"");
}

void TForm1::RemovePayload() {
  ClearFileAtrrib(kPayloadName);
  const std::u16string payload = PayloadPath();
  if (FileExists(payload) && !DeleteFileW(Wide(payload))) ScheduleOrNote(payload);
}

void TForm1::CreateStartMenuLinks(const std::u16string& target) {
  const std::u16string group = InShellFolder(GetProgramDir(), kProductGroup);
  if (group.empty()) return;
  CreateShortcutEXEX(target + kProgramName, ShortcutType::_OTHERFOLDER, group, u"", kLinkName,
                     target + kIconName, u"", u"");
  CreateShortcutEXEX(target + kUninstallerName, ShortcutType::_OTHERFOLDER, group, u"",
                     kUninstallLinkName, u"", u"", u"Uninstall TaluDemo");
}

void TForm1::ZIPExtractFile(zip::TZipBaseArchiver& /*Sender*/, std::u16string& FileName,
                            std::uint32_t& /*FileAttr*/, const std::string& /*Comment*/) {
  laidDown_.push_back(FileName);
  SetStatus(u"Extracting " + FileName);
}

void TForm1::ZIPOverallProgress(zip::TZipBaseArchiver& /*Sender*/, double Progress,
                                zip::TZipProcessOperation /*Operation*/,
                                zip::TZipProgressPhase /*ProgressPhase*/, bool& /*Cancel*/) {
  SetProgress(static_cast<int>(Progress));
  gui::ProcessMessages();
}

}  // namespace talu::setup

// Names, texts and fixed values of the TaluDemo setup program.
#pragma once

#include <string>

namespace talu::setup {

// The payload beside the setup program, and the password of its items.
inline constexpr char16_t kPayloadName[] = u"TDfls.zdt";
inline constexpr char kPayloadPassword[] = "qarvu-tn.pzo";

inline constexpr char16_t kDefaultFolder[] = u"C:\\Marlo\\Talu\\";
inline constexpr char16_t kDriveRoot[] = u"C:\\";

// What an installation lays down in its folder.
inline constexpr char16_t kProgramName[] = u"TaluDemo.exe";
inline constexpr char16_t kIconName[] = u"TaluDemo.ico";
inline constexpr char16_t kUninstallerName[] = u"Uninstall.exe";
inline constexpr char16_t kDataFolderName[] = u"CSTALU";
inline constexpr char16_t kLinkName[] = u"TaluDemo.lnk";
inline constexpr char16_t kUninstallLinkName[] = u"Uninstall.lnk";

// The start-menu groups below the user's Programs folder.
inline constexpr char16_t kMakerGroup[] = u"Marlo";
inline constexpr char16_t kProductGroup[] = u"Marlo\\Talu";

// Registry keys under HKEY_CURRENT_USER.
inline constexpr char16_t kUninstallKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MarloTALUDemo";
inline constexpr char16_t kProductKey[] = u"Software\\Corvanis\\MarloTALUDemo";

// The maker's web address (an example domain) and its caption.
inline constexpr char16_t kWebAddress[] = u"https://www.example.com/talu/";
inline constexpr char16_t kWebCaption[] = u"www.example.com";

// Captions of the command button, which select what it does.
inline constexpr char16_t kInstallCaption[] = u"Install";
inline constexpr char16_t kUninstallCaption[] = u"Uninstall";
inline constexpr char16_t kExitCaption[] = u"Exit";

// Messages.
inline constexpr char16_t kTextFilesMissing[] = u"Required files are not found!";
inline constexpr char16_t kTextFolderInvalid[] = u"Folder name is not valid!";
inline constexpr char16_t kTextOldVersion[] =
    u"Found old version.\r\nDo you want to uninstall the old version?";
inline constexpr char16_t kTextAfterReboot[] = u"Some files will be deleted after reboot.";
inline constexpr char16_t kTextSuccessful[] = u"Successful";
// A run that stops before its end, and what it leaves behind.
inline constexpr char16_t kTextInstallStopped[] =
    u"Installation stopped. TaluDemo is not registered.";
inline constexpr char16_t kTextOldVersionRemoved[] = u"The old version has been removed.";
inline constexpr char16_t kTextOldVersionAfterReboot[] =
    u"The old version will be removed after reboot.";
inline constexpr char16_t kTextProgramInUse[] = u"TaluDemo.exe is in use and cannot be replaced.";
// Follows the name of a product file that is missing after the extraction.
inline constexpr char16_t kTextNotInstalled[] = u" could not be installed.";
// Heads the list of what could be neither deleted nor scheduled for deletion.
inline constexpr char16_t kTextStays[] = u"These could not be deleted and remain:";
// An install over a running program: the new program takes its place at the next restart.
inline constexpr char16_t kTextCompletedAfterReboot[] =
    u"The installation will be completed after reboot.";
// Heads the list of new files whose deletion, scheduled by an earlier uninstall, could not be
// withdrawn, and says what to do.
inline constexpr char16_t kTextStillDeleted[] =
    u"These files of the new installation will still be deleted at the next restart:";
inline constexpr char16_t kTextRestartAndRepeat[] = u"Restart Windows, then run setup again.";
// The caption of the status line before a run.
inline constexpr char16_t kTextInstallProgress[] = u"Installation progress";

}  // namespace talu::setup

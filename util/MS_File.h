// File and folder utilities of the setup program: shell-folder paths, shortcuts, folder
// removal and deletion at the next restart. Failures come back as "" or false; only a missing
// shell-link component raises (ComError).
#pragma once

#include <string>
#include <vector>

#include "MultiSz.h"

namespace talu {

// --- Paths -----------------------------------------------------------------------------------

// The current user's start-menu "Programs" folder as the registry's "Shell Folders" key holds
// it (no trailing backslash); "" when the key or value is missing.
std::u16string GetProgramDir();

// For an existing file: its folder with a trailing backslash, followed by `SetToFile`.
// "" for anything that is not an existing file (folders included).
std::u16string GetFileDir(const std::u16string& FileName, const std::u16string& SetToFile);

// True when the folder exists and lists nothing but "." and "..". Drive roots, which list no
// such entries, and missing paths give false.
bool IsDirectoryEmpty(const std::u16string& DirectoryName);

// --- Shortcuts -------------------------------------------------------------------------------

// Where CreateShortcutEXEX places a link.
enum class ShortcutType {
  _DESKTOP = 0,      // "Shell Folders"\"Desktop"
  _QUICKLAUNCH = 1,  // GrpConv "MapGroups"\"Quick Launch"
  _SENDTO = 2,       // "Shell Folders"\"SendTo"
  _STARTMENU = 3,    // "Shell Folders"\"Start Menu"
  _OTHERFOLDER = 4,  // the SubFolder argument is the folder
};

// Writes a shell link to `SourceFileName` and returns the link file's path ("" when no folder
// could be determined). `SubFolder` is a folder below the shell folder, or with _OTHERFOLDER
// the whole destination. `LinkName` is used as given (no extension added); empty means the
// target's name with ".lnk". Empty `WorkingDir` means the target's folder, empty `Icon` the
// target's own icon. Path parts are joined with "\" and never trimmed. The save's outcome is
// not checked.
std::u16string CreateShortcutEXEX(const std::u16string& SourceFileName, ShortcutType Location,
                                  const std::u16string& SubFolder, const std::u16string& WorkingDir,
                                  const std::u16string& LinkName, const std::u16string& Icon,
                                  const std::u16string& Parameters,
                                  const std::u16string& Description);

// Creates (`uninstall` false) or deletes (true) the link "<target base name>.lnk" in the
// user's Startup folder. The Startup folder is not created.
void CreateShortcut(const std::u16string& FileName, const std::u16string& Args, bool uninstall);
// Deletes the Startup-folder link of `FileName`; `ShortcutName` does not change which.
void DeleteShortcut(const std::u16string& FileName, const std::u16string& ShortcutName);

// --- Folder removal --------------------------------------------------------------------------
// None of these walks into a junction or symbolic link: a link is removed itself, never the
// files it points at, and a tree whose links cannot be removed is not handed to the shell.
// An empty name, or a bare drive ("C:"), names no folder of its own: nothing is deleted and
// RemoveFolder and RemoveFolderEx give false.

// Deletes the entries of `Directory` matching `FileMask` (a mask such as "*.*"; a mask with a
// path separator is refused). Subfolders too, with their contents, when `DelSubDirs`.
void DelFilesFromDir(const std::u16string& Directory, const std::u16string& FileMask,
                     bool DelSubDirs);

// Deletes the folder and its contents through the shell; `SILENT` true shows the shell's
// progress window, false hides it. True when the shell succeeds or the folder is missing.
bool RemoveFolder(const std::u16string& Name, bool SILENT);

// Leaves the folder if it is the current directory, empties it, then RemoveFolder.
// False when the folder is missing.
bool RemoveFolderEx(const std::u16string& Name, bool SILENT);

// Deletes the tree file by file, removes folders that become empty and finally `Name` (given
// without a trailing backslash), and returns what stays: each file that could not be deleted
// and each folder that could not be removed, every folder after everything inside it, so that
// deleting them in this order at the next restart leaves nothing. A folder link is removed
// itself; a reparse point that is no link stays. A missing folder leaves nothing.
std::vector<std::u16string> DeleteFolderTreeRemains(const std::u16string& Name);
// True when nothing of the tree stays. `NextBoot` has no effect.
bool DeleteFolderTree(const std::u16string& Name, bool NextBoot);

// --- Deletion at the next restart ------------------------------------------------------------

// Schedules the deletion of a file (on the NT family also of a folder that is empty by then).
// On the NT family a user without the right to write the machine-wide list gets it done at the
// next logon instead (LogonDeletions.h). True when the request was recorded.
bool DeleteFileNextBoot(const std::u16string& lpFileNameToDelete);

// Withdraws the first pending deletion of exactly this path (compared in full, letter case
// ignored), in the machine-wide list and among the deletions waiting for the next logon. Pending
// renames and deletions of other paths, such as files inside this folder, stay. False when a
// deletion of the path stays pending in the machine-wide list (the user may not change it).
bool DesistDeleteFileNextBoot(const std::u16string& lpFileNameToDelete);

}  // namespace talu

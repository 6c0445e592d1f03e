// Small path and file-system helpers shared by the utility units.
#pragma once

#include <windows.h>

#include <string>

namespace talu {

// True for an existing file; a folder does not count.
bool FileExists(const std::u16string& path);
bool DirectoryExists(const std::u16string& path);

// A folder that is a junction or symbolic link: its content lives elsewhere, so deleting code
// removes the link itself and never walks into it.
bool IsFolderLink(DWORD attributes);

// "." and "..", the entries every folder but a drive root lists.
bool IsDotEntry(const wchar_t* name);

// The part up to and including the last "\" or ":"; empty when there is none.
std::u16string ExtractFilePath(const std::u16string& path);
// The part after the last "\" or ":".
std::u16string ExtractFileName(const std::u16string& path);
// `path` with the extension of its file name replaced by `extension` (".lnk"), or appended.
std::u16string ChangeFileExt(const std::u16string& path, const std::u16string& extension);
// `path` without one trailing backslash.
std::u16string ExcludeTrailingBackslash(const std::u16string& path);

// The process's current folder, without a trailing backslash (a drive root keeps its own).
std::u16string CurrentDirectory();

// Creates the folder and every missing parent; true when the folder exists afterwards.
bool ForceDirectories(const std::u16string& path);

// Equal as Windows compares file names: the whole text, letter case ignored.
bool SameTextIgnoringCase(const std::u16string& a, const std::u16string& b);

}  // namespace talu

// Small path and file-system helpers shared by the utility units.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace talu {

// True for an existing file; a folder does not count.
bool FileExists(const std::u16string& path);
bool DirectoryExists(const std::u16string& path);

// A folder that is a junction or symbolic link: its content lives elsewhere, so deleting code
// removes the link itself and never walks into it.
bool IsFolderLink(DWORD attributes);

// "." and "..", the entries every folder but a drive root lists.
bool IsDotEntry(const wchar_t* name);

// The parts of a path (zip::ExtractFilePath, zip::ExtractFileName), the current folder and
// creating a folder with its parents (zip::platform) come from the engine's layers.

// `path` with the extension of its file name replaced by `extension` (".lnk"), or appended.
std::u16string ChangeFileExt(const std::u16string& path, const std::u16string& extension);
// `path` without one trailing backslash.
std::u16string ExcludeTrailingBackslash(std::u16string_view path);

// The full path as the platform records it, so that "C:\a\\b" or "C:\a\.\b" give "C:\a\b";
// `path` itself when it cannot be made full.
std::u16string FullPathOf(const std::u16string& path);
// The 8.3 form of an existing path; "" when there is none.
std::u16string ShortPathOf(const std::u16string& path);
// One text for every way of writing a path: full, each existing part in its long form, "\"
// as the separator, without a trailing backslash unless it is a drive's root. "C:/a", "\a"
// (current drive C:) and "C:\PROGRA~1\..\a\" all give "C:\a". Parts that no longer exist
// keep the form they are given in.
std::u16string NormalPath(const std::u16string& path);
// The same file or folder: NormalPath of both equal, letter case ignored.
bool SamePath(const std::u16string& a, const std::u16string& b);

// Equal as Windows compares file names: the whole text, letter case ignored.
bool SameTextIgnoringCase(const std::u16string& a, const std::u16string& b);

}  // namespace talu

// Folder paths: the trailing-backslash rule, the user's desktop folder, the folder browser.
#pragma once

#include <windows.h>

#include <string>

namespace talu {

// `Name` with one backslash appended unless it already ends with one; "" stays "".
std::u16string CorrectDir(const std::u16string& Name);

// File-system path of the current user's desktop folder, without a trailing backslash;
// "" when the shell cannot resolve it.
std::u16string GetDeskTopDir();

// The folder picked in the shell's folder browser ("" on Cancel or for a non-file-system item).
// `initialFolder`, when not empty, is selected as the dialog opens. The calling thread must
// hold a single-threaded COM apartment.
std::u16string BrowseForFolder(const std::u16string& browseTitle,
                               const std::u16string& initialFolder);

// The browser's callback: selects `lg_StartFolder` when the dialog has been created.
int CALLBACK BrowseForFolderCallBack(HWND Wnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

// The start folder of the latest BrowseForFolder call, read by the callback.
extern std::u16string lg_StartFolder;

}  // namespace talu

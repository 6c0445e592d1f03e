// The files of an installation of TaluDemo on disk.
#pragma once

#include <string>

namespace talu::setup {

// Clears the read-only, hidden and system attributes of an existing file; other attributes,
// folders and missing files are left alone.
void ClearReadOnlyAttributes(const std::u16string& file);

// Removes from `folder` (ending in "\") what an installation of the product lays down there:
// the program, the four edition files, the icon, the uninstaller and the data folder with its
// contents. Nothing else in the folder is touched, so a folder that holds the user's own
// files, a drive root or a profile folder keeps them all. Failures are ignored.
void ClearProductItems(const std::u16string& folder);

// `shellFolder` (as the shell reports it, without a trailing backslash) joined with `name`;
// empty when the shell folder is unknown, so that nothing relative to the current folder is
// touched in its place.
std::u16string InShellFolder(const std::u16string& shellFolder, const std::u16string& name);

}  // namespace talu::setup

// Deletion at the next restart on the Windows 9x family: "NUL=<short path>" lines in the
// "[rename]" section of "wininit.ini" in the Windows folder.
#pragma once

#include <string>

namespace talu {

// "wininit.ini" in `windowsFolder` (no backslash is added after a drive root such as C:\).
std::u16string WininitPathIn(const std::u16string& windowsFolder);
// "wininit.ini" in the folder GetWindowsDirectory reports.
std::u16string WininitPath();

// Inserts "NUL=" + the file's short path directly below "[rename]" (added at the end when
// missing), creating the file when needed. False when the file has no short path (it does not
// exist) or the list cannot be written; nothing is written then.
bool ScheduleInWininit(const std::u16string& iniPath, const std::u16string& file);

// Deletes the first "NUL=" + short path line of the file. The list is left unwritten when it
// has no "[rename]" section or the file has no short path.
void WithdrawFromWininit(const std::u16string& iniPath, const std::u16string& file);

}  // namespace talu

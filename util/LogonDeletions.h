// Deletion at the current user's next logon, for a user who may not write the machine-wide list
// of pending operations. The deletions wait in one ordered list, a command script in the user's
// local (non-roaming) application data, in full paths: files first, each folder after everything
// inside it. One value under HKEY_CURRENT_USER\...\RunOnce runs the list once, and the list then
// deletes itself; on a machine without the list (another machine of a roaming profile) the value
// does nothing. A command deletes exactly the file it names (never the content of a folder that
// took the file's place) or removes the folder it names only when that folder is empty.
#pragma once

#include <string>

namespace talu {

inline constexpr char16_t kRunOnceKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr char16_t kLogonValueName[] = u"TaluDelete";

// Where the list lies; "" when the user has no local application data folder.
std::u16string LogonListPath();

// Adds `path` (a file or a folder, as it is now) to the list unless it is there, and makes sure
// the value runs the list. False when the path cannot be written as a command (a character the
// command interpreter would expand, "%" or "!", or one the console's code page lacks), or the
// list or the value cannot be written.
bool ScheduleAtLogon(const std::u16string& path);

// Takes `path` out of the list, compared in full (NormalPath, letter case ignored), whether or
// not it exists; with nothing left, the list and the value go too.
void WithdrawFromLogon(const std::u16string& path);

}  // namespace talu

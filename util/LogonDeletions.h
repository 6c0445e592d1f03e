// Deletion at the current user's next logon, for a user who may not write the machine-wide list
// of pending operations: one value per path under HKEY_CURRENT_USER\...\RunOnce. The shell
// deletes each value before it runs its command, so nothing of it stays behind. A command
// deletes exactly the file it names (never the content of a folder that took the file's place)
// or removes the folder it names only when that folder is empty.
#pragma once

#include <string>

namespace talu {

inline constexpr char16_t kRunOnceKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
// The values this program writes are named this, followed by a number that grows with each
// one, so that they run in the order they were written.
inline constexpr char16_t kLogonValuePrefix[] = u"TaluDelete";

// The command of a value for `path` (a folder when `folder`), or "" when none can be made: a
// path that would be too long for a value even in its short form, or one with a character the
// command interpreter would expand ("%", "!").
std::u16string LogonDeleteCommand(const std::u16string& path, bool folder);

// Adds a value for `path` (a file or a folder, as it is now) unless an equal one is there.
// False when no command can be made or the value cannot be written.
bool ScheduleAtLogon(const std::u16string& path);

// Deletes the first value of ours whose command names `path` (letter case ignored).
void WithdrawFromLogon(const std::u16string& path);

}  // namespace talu

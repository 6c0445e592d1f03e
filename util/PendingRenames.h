// Deletion at the next restart on the NT family: the registry value
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\PendingFileRenameOperations.
#pragma once

#include <string>

namespace talu {

inline constexpr char16_t kSessionManagerKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\";
inline constexpr char16_t kPendingRenamesValue[] = u"PendingFileRenameOperations";

// Asks the platform to delete `path` at the next restart (a folder only if empty by then).
bool ScheduleInRegistry(const std::u16string& path);

// Removes the first pending deletion of exactly `path` (letter case ignored) from the value;
// the value is deleted when nothing remains. Values of a string or number type, or over
// 52,202 bytes, are left alone, as is everything when no deletion of `path` is pending.
void WithdrawFromRegistry(const std::u16string& path);

}  // namespace talu

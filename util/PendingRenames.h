// Deletion at the next restart on the NT family: the registry value
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\PendingFileRenameOperations.
#pragma once

#include <string>

namespace talu {

inline constexpr char16_t kSessionManagerKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\";
inline constexpr char16_t kPendingRenamesValue[] = u"PendingFileRenameOperations";

// Asks the platform to delete `path` at the next restart (a folder only if empty by then); the
// list holds it as NormalPath, the form withdrawals look for.
bool ScheduleInRegistry(const std::u16string& path);

// False when the user lacks the right to write the list (no administrator rights).
bool MayWritePendingList();

// Removes the first pending deletion of exactly `path` (letter case ignored) from the value;
// the value is deleted when nothing remains. Values of a string or number type are left alone,
// as is everything when no deletion of `path` is pending. The value is read whatever its size,
// with read access only, so that a user without the right to change it still sees it. False
// when a deletion of `path` is pending and stays (the user may not write the list).
bool WithdrawFromRegistry(const std::u16string& path);

}  // namespace talu

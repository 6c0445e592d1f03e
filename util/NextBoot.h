// Deletion at the next restart, dispatched on the platform family. The public functions in
// MS_File.h ask the running system for its platform id; the `For` forms take it as an argument
// so that every branch can be exercised on one system.
#pragma once

#include <windows.h>

#include <string>

namespace talu {

// The platform id GetVersionEx reports: 0 Win32s, 1 Windows 9x, 2 Windows NT.
DWORD PlatformId();

// Win32s: last error ERROR_NOT_SUPPORTED and false. NT: the registry list, or where it refuses
// the user, the user's next logon (LogonDeletions.h). Anything else: "wininit.ini".
bool DeleteFileNextBootFor(DWORD platformId, const std::u16string& path);
// False when a deletion of `path` stays pending in the machine-wide list (NT: the user may not
// change it).
bool DesistDeleteFileNextBootFor(DWORD platformId, const std::u16string& path);

}  // namespace talu

#include "NextBoot.h"

#include "LogonDeletions.h"
#include "MS_File.h"
#include "PendingRenames.h"
#include "Wininit.h"

namespace talu {

DWORD PlatformId() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);  // on failure the id stays 0: nothing is supported
  return version.dwPlatformId;
}

bool DeleteFileNextBootFor(DWORD platformId, const std::u16string& path) {
  switch (platformId) {
    case VER_PLATFORM_WIN32s:
      SetLastError(ERROR_NOT_SUPPORTED);
      return false;
    case VER_PLATFORM_WIN32_NT:
      // Without administrator rights the machine-wide list refuses the request; the deletion
      // then waits for the user's next logon instead.
      return ScheduleInRegistry(path) || (!MayWritePendingList() && ScheduleAtLogon(path));
    default:
      return ScheduleInWininit(WininitPath(), path);
  }
}

bool DesistDeleteFileNextBootFor(DWORD platformId, const std::u16string& path) {
  switch (platformId) {
    case VER_PLATFORM_WIN32s:
      SetLastError(ERROR_NOT_SUPPORTED);
      return true;
    case VER_PLATFORM_WIN32_NT:
      WithdrawFromLogon(path);
      return WithdrawFromRegistry(path);
    default:
      WithdrawFromWininit(WininitPath(), path);
      return true;
  }
}

bool DeleteFileNextBoot(const std::u16string& lpFileNameToDelete) {
  return DeleteFileNextBootFor(PlatformId(), lpFileNameToDelete);
}

bool DesistDeleteFileNextBoot(const std::u16string& lpFileNameToDelete) {
  return DesistDeleteFileNextBootFor(PlatformId(), lpFileNameToDelete);
}

}  // namespace talu

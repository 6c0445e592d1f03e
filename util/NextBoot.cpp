#include "NextBoot.h"

#include "FileSystem.h"
#include "LogonDeletions.h"
#include "MS_File.h"
#include "PendingRenames.h"
#include "WideText.h"
#include "WinHandles.h"
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

void DesistDeleteFileNextBootFor(DWORD platformId, const std::u16string& path) {
  switch (platformId) {
    case VER_PLATFORM_WIN32s:
      SetLastError(ERROR_NOT_SUPPORTED);
      return;
    case VER_PLATFORM_WIN32_NT:
      WithdrawFromRegistry(path);
      WithdrawFromLogon(path);
      return;
    default:
      WithdrawFromWininit(WininitPath(), path);
  }
}

bool DeleteFileNextBoot(const std::u16string& lpFileNameToDelete) {
  return DeleteFileNextBootFor(PlatformId(), lpFileNameToDelete);
}

void DesistDeleteFileNextBoot(const std::u16string& lpFileNameToDelete) {
  DesistDeleteFileNextBootFor(PlatformId(), lpFileNameToDelete);
}

void DesistDeleteTreeNextBoot(const std::u16string& folder) {
  const DWORD platformId = PlatformId();
  DesistDeleteFileNextBootFor(platformId, folder);
  WIN32_FIND_DATAW entry;
  FindHandle listing(FindFirstFileW(Wide(folder + u"\\*"), &entry));
  if (!listing) return;
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    const std::u16string path = folder + u'\\' + FromWide(entry.cFileName);
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        !IsFolderLink(entry.dwFileAttributes)) {
      DesistDeleteTreeNextBoot(path);
    } else {
      DesistDeleteFileNextBootFor(platformId, path);
    }
  } while (FindNextFileW(listing.get(), &entry));
}

}  // namespace talu

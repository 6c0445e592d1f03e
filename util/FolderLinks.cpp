#include "FolderLinks.h"

#include <windows.h>
// The headers below build on the Windows types.
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "FileSystem.h"
#include "Get_Dir.h"
#include "WideText.h"
#include "WinHandles.h"

namespace talu {
namespace {

// Asks the file system for the reparse tag instead of trusting the attribute bit alone: a
// platform that shows a link as a reparse point but cannot report its tag may also remove the
// link's target instead of the link.
bool IsLink(HANDLE file) {
  std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
  DWORD size = 0;
  DWORD tag = 0;
  if (!DeviceIoControl(file, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                       static_cast<DWORD>(data.size()), &size, nullptr) ||
      size < sizeof tag) {
    return false;
  }
  std::memcpy(&tag, data.data(), sizeof tag);
  return IsReparseTagNameSurrogate(tag) != 0;
}

}  // namespace

bool RemoveFolderLink(const std::u16string& path) {
  // Opening the reparse point itself makes the deletion act on the link, not on its target.
  FileHandle link(CreateFileW(Wide(path), DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!link || !IsLink(link.get())) return false;
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition) != FALSE;
}

bool RemoveFolderLinks(const std::u16string& folder, const std::u16string& mask) {
  WIN32_FIND_DATAW entry;
  FindHandle listing(FindFirstFileW(Wide(folder + mask), &entry));
  if (!listing) return true;
  bool none_left = true;
  do {
    if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      continue;
    }
    const std::u16string path = folder + FromWide(entry.cFileName);
    const bool cleared = IsFolderLink(entry.dwFileAttributes)
                             ? RemoveFolderLink(path)
                             : RemoveFolderLinks(CorrectDir(path), u"*");
    none_left = none_left && cleared;
  } while (FindNextFileW(listing.get(), &entry));
  return none_left;
}

}  // namespace talu

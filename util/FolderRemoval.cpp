// Folder removal: through the shell's file operation (DelFilesFromDir, RemoveFolder,
// RemoveFolderEx) or file by file (DeleteFolderTree). Nothing goes to the recycle bin.
#include <windows.h>
// The headers below build on the Windows types.
#include <shellapi.h>

#include <vector>

#include "AppWindow.h"
#include "FileSystem.h"
#include "FolderLinks.h"
#include "Get_Dir.h"
#include "MS_File.h"
#include "WideText.h"
#include "WinHandles.h"
#include "platform/ZipPlatform.h"

namespace talu {
namespace {

// The source of the shell's delete holds up to 259 characters and its two terminators.
constexpr size_t kLongestShellPath = MAX_PATH - 1;

// "" and a bare drive such as "C:" name no folder of their own: appending "\*" to them would
// list the drive's root instead.
bool NamesNoFolder(const std::u16string& name) {
  return name.empty() || (name.size() == 2 && name[1] == u':');
}

// A mask must select entries of the folder itself, never of another folder.
bool MaskStaysInFolder(const std::u16string& mask) {
  return mask.find_first_of(u"\\/") == std::u16string::npos &&
         mask.find_first_not_of(u'.') != std::u16string::npos;
}

int ShellDelete(HWND owner, const std::u16string& source, FILEOP_FLAGS flags) {
  std::u16string list = source;
  list.push_back(u'\0');  // the end of the list; c_str() adds the path's own terminator
  SHFILEOPSTRUCTW operation{};
  operation.hwnd = owner;
  operation.wFunc = FO_DELETE;
  operation.pFrom = Wide(list);
  operation.fFlags = flags;
  return SHFileOperationW(&operation);
}

// Windows does not remove a folder that is a process's current directory.
void LeaveFolderIfCurrent(const std::u16string& folder) {
  if (zip::platform::CurrentDirectory() != folder) return;
  const std::u16string parent = folder.substr(0, folder.rfind(u'\\') + 1);
  SetCurrentDirectoryW(Wide(parent));
}

}  // namespace

void DelFilesFromDir(const std::u16string& Directory, const std::u16string& FileMask,
                     bool DelSubDirs) {
  if (NamesNoFolder(Directory) || !MaskStaysInFolder(FileMask)) return;
  const std::u16string folder = CorrectDir(Directory);
  const DWORD attributes = GetFileAttributesW(Wide(ExcludeTrailingBackslash(folder)));
  if (!DirectoryExists(folder) || IsFolderLink(attributes)) return;
  if (DelSubDirs && !RemoveFolderLinks(folder, FileMask)) return;
  FILEOP_FLAGS flags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  if (!DelSubDirs) flags |= FOF_FILESONLY;
  ShellDelete(ApplicationWindow(), folder + FileMask, flags);
}

bool RemoveFolder(const std::u16string& Name, bool SILENT) {
  const std::u16string folder = ExcludeTrailingBackslash(Name);
  if (NamesNoFolder(folder)) return false;
  const DWORD attributes = GetFileAttributesW(Wide(folder));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return true;
  }
  if (folder.size() > kLongestShellPath) return false;
  if (IsFolderLink(attributes)) return RemoveFolderLink(folder);
  if (!RemoveFolderLinks(CorrectDir(folder), u"*")) return false;
  // SILENT true shows the progress window; false hides it.
  const FILEOP_FLAGS flags = SILENT ? FOF_NOCONFIRMATION : FOF_NOCONFIRMATION | FOF_SILENT;
  return ShellDelete(nullptr, folder, flags) == 0;
}

bool RemoveFolderEx(const std::u16string& Name, bool SILENT) {
  const std::u16string folder = ExcludeTrailingBackslash(Name);
  if (NamesNoFolder(folder) || !DirectoryExists(folder)) return false;
  LeaveFolderIfCurrent(folder);
  DelFilesFromDir(folder, u"*.*", true);
  return RemoveFolder(folder, SILENT);
}

std::vector<std::u16string> DeleteFolderTreeRemains(const std::u16string& Name) {
  if (NamesNoFolder(Name)) return {};
  // A reparse point that is no link (a cloud placeholder, say) is left alone, and reported,
  // so that the caller can leave it to the restart.
  if (IsFolderLink(GetFileAttributesW(Wide(Name)))) {
    if (RemoveFolderLink(Name)) return {};
    return {Name};
  }
  std::vector<std::u16string> remains;
  WIN32_FIND_DATAW entry;
  FindHandle listing(FindFirstFileW(Wide(Name + u"\\*.*"), &entry));
  if (listing) {
    do {
      if (IsDotEntry(entry.cFileName)) continue;
      const std::u16string path = Name + u'\\' + FromWide(entry.cFileName);
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        std::vector<std::u16string> below = DeleteFolderTreeRemains(path);
        remains.insert(remains.end(), below.begin(), below.end());
      } else if (!DeleteFileW(Wide(path))) {
        remains.push_back(path);
      }
    } while (FindNextFileW(listing.get(), &entry));
    listing.reset();
  }
  if (!RemoveDirectoryW(Wide(Name)) && GetFileAttributesW(Wide(Name)) != INVALID_FILE_ATTRIBUTES) {
    remains.push_back(Name);
  }
  return remains;
}

bool DeleteFolderTree(const std::u16string& Name, bool /*NextBoot*/) {
  return DeleteFolderTreeRemains(Name).empty();
}

}  // namespace talu

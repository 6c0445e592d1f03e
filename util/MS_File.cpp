#include "MS_File.h"

#include <windows.h>

#include "FileSystem.h"
#include "Registry.h"
#include "WideText.h"
#include "WinHandles.h"

namespace talu {

std::u16string GetProgramDir() {
  RegKey key;
  if (!key.Open(HKEY_CURRENT_USER,
                u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                KEY_READ)) {
    return {};
  }
  return key.ReadString(u"Programs").value_or(u"");
}

std::u16string GetFileDir(const std::u16string& FileName, const std::u16string& SetToFile) {
  if (!FileExists(FileName)) return {};
  const auto last_backslash = FileName.rfind(u'\\');
  std::u16string folder =
      last_backslash == std::u16string::npos ? u"" : FileName.substr(0, last_backslash + 1);
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder + SetToFile;
}

bool IsDirectoryEmpty(const std::u16string& DirectoryName) {
  const bool has_backslash = !DirectoryName.empty() && DirectoryName.back() == u'\\';
  const std::u16string pattern = DirectoryName + (has_backslash ? u"*" : u"\\*");
  WIN32_FIND_DATAW entry;
  FindHandle listing(FindFirstFileW(Wide(pattern), &entry));
  if (!listing) return false;
  int dot_entries = 0;
  do {
    if (!IsDotEntry(entry.cFileName)) return false;
    ++dot_entries;
  } while (FindNextFileW(listing.get(), &entry));
  return dot_entries == 2;
}

}  // namespace talu

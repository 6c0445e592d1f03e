#include "ProductFiles.h"

#include <windows.h>

#include <vector>

#include "Get_Dir.h"
#include "MS_File.h"
#include "SetupConst.h"
#include "SetupRules.h"
#include "WideText.h"

namespace talu::setup {

void ClearReadOnlyAttributes(const std::u16string& file) {
  constexpr DWORD kCleared =
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = GetFileAttributesW(Wide(file));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  if ((attributes & kCleared) != 0) SetFileAttributesW(Wide(file), attributes & ~kCleared);
}

void ClearProductItems(const std::u16string& folder) {
  std::vector<std::u16string> files{kProgramName, kIconName, kUninstallerName};
  files.insert(files.end(), kEditionFiles.begin(), kEditionFiles.end());
  for (const std::u16string& name : files) {
    ClearReadOnlyAttributes(folder + name);
    DeleteFileW(Wide(folder + name));
  }
  DeleteFolderTree(folder + kDataFolderName, false);
}

std::u16string InShellFolder(const std::u16string& shellFolder, const std::u16string& name) {
  if (shellFolder.empty()) return {};
  return CorrectDir(shellFolder) + name;
}

}  // namespace talu::setup

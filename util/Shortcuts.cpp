// Shell links (".lnk" files) through the ShellLink component's IShellLinkW and IPersistFile.
#include <windows.h>
// The headers below build on the Windows types.
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "ComError.h"
#include "FileSystem.h"
#include "MS_File.h"
#include "RegIniFile.h"
#include "WideText.h"
#include "WinHandles.h"
#include "platform/ZipPlatform.h"
#include "text/ZipStrFunc.h"

namespace talu {
namespace {

constexpr char16_t kExplorerKey[] = u"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
constexpr char16_t kGrpConvKey[] = u"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";
constexpr char16_t kShellFolders[] = u"Shell Folders";

// One shell-link object with the two interfaces used here; released when it goes.
class ShellLink {
 public:
  ShellLink() {
    HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkW, link_.put_void());
    if (FAILED(status)) throw ComError("cannot create the shell link object", status);
    status = link_->QueryInterface(IID_IPersistFile, file_.put_void());
    if (FAILED(status)) throw ComError("the shell link object cannot be saved", status);
  }
  IShellLinkW* operator->() const { return link_.get(); }
  void Save(const std::u16string& path) const { file_->Save(Wide(path), FALSE); }

 private:
  ComPtr<IShellLinkW> link_;
  ComPtr<IPersistFile> file_;
};

std::u16string ReadShellFolder(const char16_t* key, const char16_t* section,
                               const char16_t* ident) {
  return RegIniFile(HKEY_CURRENT_USER, key).ReadString(section, ident, u"");
}

std::u16string LinkFolder(ShortcutType location, const std::u16string& subFolder) {
  switch (location) {
    case ShortcutType::_OTHERFOLDER:
      return subFolder;
    case ShortcutType::_QUICKLAUNCH:
      return ReadShellFolder(kGrpConvKey, u"MapGroups", u"Quick Launch");
    case ShortcutType::_SENDTO:
      return ReadShellFolder(kExplorerKey, kShellFolders, u"SendTo");
    case ShortcutType::_STARTMENU:
      return ReadShellFolder(kExplorerKey, kShellFolders, u"Start Menu");
    case ShortcutType::_DESKTOP:
      break;
  }
  return ReadShellFolder(kExplorerKey, kShellFolders, u"Desktop");
}

std::u16string LinkFileName(const std::u16string& target) {
  return std::u16string(zip::ExtractFileName(ChangeFileExt(target, u".lnk")));
}

}  // namespace

std::u16string CreateShortcutEXEX(const std::u16string& SourceFileName, ShortcutType Location,
                                  const std::u16string& SubFolder, const std::u16string& WorkingDir,
                                  const std::u16string& LinkName, const std::u16string& Icon,
                                  const std::u16string& Parameters,
                                  const std::u16string& Description) {
  const ShellLink link;
  link->SetPath(Wide(SourceFileName));
  if (!Icon.empty()) link->SetIconLocation(Wide(Icon), 0);
  link->SetArguments(Wide(Parameters));
  link->SetDescription(Wide(Description));

  const std::u16string name = LinkName.empty() ? LinkFileName(SourceFileName) : LinkName;
  const std::u16string folder = LinkFolder(Location, SubFolder);
  if (folder.empty()) return {};
  const bool below_shell_folder = !SubFolder.empty() && Location != ShortcutType::_OTHERFOLDER;
  const std::u16string path =
      below_shell_folder ? folder + u'\\' + SubFolder + u'\\' + name : folder + u'\\' + name;

  link->SetWorkingDirectory(
      Wide(WorkingDir.empty() ? std::u16string(zip::ExtractFilePath(SourceFileName)) : WorkingDir));
  zip::platform::ForceDirectories(std::u16string(zip::ExtractFilePath(path)));
  link.Save(path);
  return path;
}

void CreateShortcut(const std::u16string& FileName, const std::u16string& Args, bool uninstall) {
  const ShellLink link;
  link->SetPath(Wide(FileName));
  link->SetArguments(Wide(Args));
  const std::u16string startup = ReadShellFolder(kExplorerKey, kShellFolders, u"Startup");
  if (startup.empty()) return;
  const std::u16string path = startup + u'\\' + LinkFileName(FileName);
  if (uninstall) {
    DeleteFileW(Wide(path));
  } else {
    link.Save(path);
  }
}

void DeleteShortcut(const std::u16string& FileName, const std::u16string& ShortcutName) {
  CreateShortcut(FileName, ShortcutName, true);
}

}  // namespace talu

#include "Get_Dir.h"

#include <windows.h>
// The headers below build on the Windows types.
#include <shlobj.h>

#include "AppWindow.h"
#include "WideText.h"
#include "WinHandles.h"

namespace talu {

std::u16string lg_StartFolder;

namespace {

std::u16string PathOfItem(const ItemIdList& item) {
  wchar_t path[MAX_PATH + 1] = {};
  if (!item || !SHGetPathFromIDListW(item.get(), path)) return {};
  return FromWide(path);
}

}  // namespace

std::u16string CorrectDir(const std::u16string& Name) {
  if (Name.empty() || Name.back() == u'\\') return Name;
  return Name + u'\\';
}

std::u16string GetDeskTopDir() {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(ApplicationWindow(), CSIDL_DESKTOPDIRECTORY, &item))) {
    return {};
  }
  return PathOfItem(ItemIdList(item));
}

int CALLBACK BrowseForFolderCallBack(HWND Wnd, UINT uMsg, LPARAM, LPARAM) {
  if (uMsg == BFFM_INITIALIZED) {
    SendMessageW(Wnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(Wide(lg_StartFolder)));
  }
  return 0;
}

std::u16string BrowseForFolder(const std::u16string& browseTitle,
                               const std::u16string& initialFolder) {
  lg_StartFolder = initialFolder;
  wchar_t display_name[MAX_PATH + 1] = {};
  BROWSEINFOW info{};
  info.hwndOwner = ApplicationWindow();
  info.pszDisplayName = display_name;
  info.lpszTitle = Wide(browseTitle);
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  if (!initialFolder.empty()) info.lpfn = BrowseForFolderCallBack;
  return PathOfItem(ItemIdList(SHBrowseForFolderW(&info)));
}

}  // namespace talu

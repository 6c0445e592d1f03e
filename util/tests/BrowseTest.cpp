// The folder browser, driven from a second thread that presses OK or Cancel once it shows.
#include <windows.h>
// The headers below build on the Windows types.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <thread>

#include "Get_Dir.h"
#include "TestSupport.h"
#include "WideText.h"

namespace talu {
namespace {

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (!IsWindowVisible(window) || std::wstring(class_name) != L"#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The text of the tree item the dialog has selected; empty while there is none.
std::wstring SelectedFolder(HWND dialog) {
  HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
  const LPARAM item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
  wchar_t text[MAX_PATH] = {};
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = reinterpret_cast<HTREEITEM>(item);
  query.pszText = text;
  query.cchTextMax = MAX_PATH;
  if (tree == nullptr || item == 0 || !SendMessageW(tree, TVM_GETITEMW, 0, LPARAM(&query)))
    return {};
  return text;
}

// Presses `button` in the first dialog that the thread `owner` shows, once its tree has
// selected `selected` (when given; the selection of the start folder may follow the dialog's
// showing on a busy machine), or after ten seconds whatever it shows.
void PressWhenShown(DWORD owner, int button, std::wstring selected) {
  HWND dialog = nullptr;
  for (int tries = 0; tries < 200; ++tries) {
    dialog = nullptr;
    EnumThreadWindows(owner, FindShownDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog != nullptr && (selected.empty() || SelectedFolder(dialog) == selected)) break;
    Sleep(50);
  }
  if (dialog != nullptr) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

// The dialog walks its tree to the start folder comparing each folder's item with the one it
// parsed from the path byte for byte, the folder's last-access time included. A folder made a
// moment ago has never been read, so the dialog's own reading moves that time; when the move
// crosses a two-second step the walk fails and the dialog selects its first item, "/" (Z:\).
// Reading a new folder until its access time is past its last change makes it like a folder
// that has been looked at: on a file system that records access times as most do (only on
// the first reading after a change), further reading leaves the time as it is.
void SettleAccessTime(const std::u16string& folder) {
  for (int tries = 0; tries < 100; ++tries) {
    WIN32_FIND_DATAW entry;
    FindClose(FindFirstFileW(Wide(folder + u"\\*"), &entry));
    const FileHandle handle(CreateFileW(
        Wide(folder), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_BASIC_INFO times{};
    if (!GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &times, sizeof times) ||
        times.LastAccessTime.QuadPart >
            std::max(times.LastWriteTime.QuadPart, times.ChangeTime.QuadPart)) {
      return;
    }
    Sleep(10);  // the file system's clock moves in steps of a few milliseconds
  }
}

class BrowseForFolderTest : public testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }

  static std::u16string Browse(const std::u16string& initial, int button,
                               std::wstring selected = {}) {
    std::thread presser(PressWhenShown, GetCurrentThreadId(), button, std::move(selected));
    const std::u16string chosen = BrowseForFolder(u"Select Folder", initial);
    presser.join();
    return chosen;
  }
};

TEST_F(BrowseForFolderTest, OkReturnsTheStartFolderWithoutTrailingBackslash) {
  // Not below the temp folder: when other tests delete there through the shell, the dialog
  // rebuilds that branch of its tree and loses the selection.
  const test::TempDir dir(u"C:\\");
  test::MakeDirs(dir / u"Marlo\\Talu");
  for (const char16_t* folder : {u"", u"\\Marlo", u"\\Marlo\\Talu"}) {
    SettleAccessTime(dir.path() + folder);
  }
  EXPECT_EQ(Browse(dir / u"Marlo\\Talu\\", IDOK, L"Talu"), dir / u"Marlo\\Talu");
  EXPECT_EQ(lg_StartFolder, dir / u"Marlo\\Talu\\");
}

TEST_F(BrowseForFolderTest, DriveRootKeepsItsBackslash) {
  EXPECT_EQ(Browse(u"C:\\", IDOK), u"C:\\");
}

TEST_F(BrowseForFolderTest, CancelGivesNothing) {
  EXPECT_EQ(Browse(u"C:\\windows", IDCANCEL), u"");
}

}  // namespace
}  // namespace talu

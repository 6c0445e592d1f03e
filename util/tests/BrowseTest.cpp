// The folder browser, driven from a second thread that presses OK or Cancel once it shows.
#include <windows.h>
// The headers below build on the Windows types.
#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "Get_Dir.h"
#include "TestSupport.h"

namespace talu {
namespace {

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (!IsWindowVisible(window) || std::wstring(class_name) != L"#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Presses `button` in the first dialog that the thread `owner` shows within ten seconds.
void PressWhenShown(DWORD owner, int button) {
  for (int tries = 0; tries < 200; ++tries) {
    HWND dialog = nullptr;
    EnumThreadWindows(owner, FindShownDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog != nullptr) {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      return;
    }
    Sleep(50);
  }
}

class BrowseForFolderTest : public testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }

  static std::u16string Browse(const std::u16string& initial, int button) {
    std::thread presser(PressWhenShown, GetCurrentThreadId(), button);
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
  EXPECT_EQ(Browse(dir / u"Marlo\\Talu\\", IDOK), dir / u"Marlo\\Talu");
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

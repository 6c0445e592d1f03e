// Folder removal on the real file system: shell deletes, the file-by-file tree walk, locked and
// read-only files, folder links, and names that must not reach beyond the given folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "MS_File.h"
#include "TestSupport.h"
#include "WideText.h"

namespace talu {
namespace {

using test::Exists;
using test::WriteText;

// dir\a.txt, dir\b.txt, dir\sub\c.txt, dir\sub\deeper\d.txt
void MakeTree(const std::u16string& root) {
  test::MakeDirs(root + u"\\sub\\deeper");
  WriteText(root + u"\\a.txt", "a");
  WriteText(root + u"\\b.txt", "b");
  WriteText(root + u"\\sub\\c.txt", "c");
  WriteText(root + u"\\sub\\deeper\\d.txt", "d");
}

TEST(RemoveFolder, MissingFolderIsSuccessOnlyForThePlainForm) {
  test::TempDir dir;
  EXPECT_TRUE(RemoveFolder(dir / u"missing", false));
  EXPECT_FALSE(RemoveFolderEx(dir / u"missing", false));
}

TEST(RemoveFolder, BothFormsRemoveTheTreeWithOrWithoutTrailingBackslash) {
  test::TempDir dir;
  const std::function<bool(const std::u16string&)> removals[] = {
      [](const std::u16string& f) { return RemoveFolder(f, false); },
      [](const std::u16string& f) { return RemoveFolderEx(f, false); },
      [](const std::u16string& f) { return RemoveFolder(f, true); },  // with progress window
  };
  for (const auto& remove : removals) {
    for (const char16_t* suffix : {u"", u"\\"}) {
      MakeTree(dir / u"t");
      EXPECT_TRUE(remove(dir / u"t" + suffix));
      EXPECT_FALSE(Exists(dir / u"t"));
    }
  }
}

TEST(RemoveFolderEx, LeavesTheCurrentDirectoryFirst) {
  test::TempDir dir;
  MakeTree(dir / u"cwd");
  wchar_t previous[MAX_PATH] = {}, current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(Wide(dir / u"cwd")));
  EXPECT_TRUE(RemoveFolderEx(dir / u"cwd", false));
  EXPECT_FALSE(Exists(dir / u"cwd"));
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(FromWide(current), dir.path());
  SetCurrentDirectoryW(previous);
}

TEST(DelFilesFromDir, DeletesFilesOnlyOrSubfoldersToo) {
  test::TempDir dir;
  MakeTree(dir / u"t");
  DelFilesFromDir(dir / u"t", u"*.*", false);
  EXPECT_FALSE(Exists(dir / u"t\\a.txt"));
  EXPECT_TRUE(Exists(dir / u"t\\sub\\deeper\\d.txt"));
  DelFilesFromDir(dir / u"t\\", u"*.*", true);
  EXPECT_TRUE(IsDirectoryEmpty(dir / u"t"));
}

TEST(DelFilesFromDir, MaskCannotLeaveTheFolder) {
  test::TempDir dir;
  MakeTree(dir / u"t");
  MakeTree(dir / u"sibling");
  for (const char16_t* mask : {u"..\\sibling\\*.*", u"../sibling/*.*", u".."}) {
    DelFilesFromDir(dir / u"t", mask, true);
  }
  EXPECT_TRUE(Exists(dir / u"sibling\\a.txt"));
  EXPECT_TRUE(Exists(dir / u"t\\a.txt"));
}

// What stays is named file by file, however deep, and each folder after its content, so that
// deleting the names in order at the restart takes the whole tree.
TEST(DeleteFolderTree, NamesEverythingThatStaysDeepestFirst) {
  struct Case {
    const char16_t* locked;
    std::vector<std::u16string> remains;  // below the tree
  };
  const Case cases[] = {
      {u"a.txt", {u"a.txt", u""}},
      {u"sub\\deeper\\d.txt", {u"sub\\deeper\\d.txt", u"sub\\deeper", u"sub", u""}},
  };
  test::TempDir dir;
  EXPECT_TRUE(DeleteFolderTree(dir / u"missing", false));
  const std::u16string tree = dir / u"t";
  for (const auto& c : cases) {
    MakeTree(tree);
    const test::FileLocker lock(tree + u"\\" + c.locked);
    ASSERT_TRUE(lock.locked());
    std::vector<std::u16string> expected;
    for (const auto& name : c.remains)
      expected.push_back(name.empty() ? tree : tree + u"\\" + name);
    EXPECT_EQ(DeleteFolderTreeRemains(tree), expected);
    EXPECT_TRUE(Exists(tree + u"\\" + c.locked));
    EXPECT_FALSE(Exists(tree + u"\\b.txt") || Exists(tree + u"\\sub\\c.txt"));
  }
  MakeTree(dir / u"readonly");
  SetFileAttributesW(Wide(dir / u"readonly\\sub\\c.txt"), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(DeleteFolderTree(dir / u"readonly", false));
  EXPECT_TRUE(Exists(dir / u"readonly\\sub\\c.txt"));
}

// Every removal meets a link to a folder outside the tree: the link's target keeps its files.
TEST(FolderLinks, AreNeverFollowedOutOfTheTree) {
  const std::function<void(const std::u16string&)> removals[] = {
      [](const std::u16string& f) { DeleteFolderTree(f, false); },
      [](const std::u16string& f) { RemoveFolder(f, false); },
      [](const std::u16string& f) { RemoveFolderEx(f, true); },
      [](const std::u16string& f) { DelFilesFromDir(f, u"*.*", true); },
  };
  test::TempDir dir;
  MakeTree(dir / u"outside");
  for (const auto& remove : removals) {
    MakeTree(dir / u"tree");
    test::HostLink nested(dir / u"tree\\sub\\link", dir / u"outside");
    test::HostLink top(dir / u"tree\\link", dir / u"outside\\sub");
    if (!nested.ok() || !top.ok()) GTEST_SKIP() << "no folder links on this platform";
    remove(dir / u"tree");
    EXPECT_TRUE(Exists(dir / u"outside\\a.txt"));
    EXPECT_TRUE(Exists(dir / u"outside\\sub\\deeper\\d.txt"));
  }
  test::HostLink link(dir / u"link", dir / u"outside");
  // Whether the link could be removed or not (a reparse point that is no link stays), the
  // result tells, so that the caller can leave what stays to the restart.
  EXPECT_EQ(DeleteFolderTree(dir / u"link", false), !Exists(dir / u"link"));
  for (const auto& remove : removals) remove(dir / u"link");
  EXPECT_TRUE(Exists(dir / u"outside\\a.txt"));
}

TEST(FolderLinks, LinkToAnEmptyFolderLeavesThatFolder) {
  test::TempDir dir;
  test::MakeDirs(dir / u"empty");
  test::MakeDirs(dir / u"tree");
  test::HostLink link(dir / u"tree\\link", dir / u"empty");
  if (!link.ok()) GTEST_SKIP() << "no folder links on this platform";
  DeleteFolderTree(dir / u"tree", false);
  EXPECT_TRUE(Exists(dir / u"empty"));
}

// A drive mapped onto a temp folder stands in for a real drive, so a faulty removal could only
// reach the temp folder.
TEST(FolderNames, EmptyOrBareDriveNamesDeleteNothing) {
  test::TempDir dir;
  MakeTree(dir / u"drive");
  const auto drive = test::HostLink::Drive('q', dir / u"drive");
  if (!drive->ok()) GTEST_SKIP() << "no drive mapping on this platform";
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(L"Q:\\sub"));  // "Q:" now names Q:\sub, "" nothing

  EXPECT_TRUE(DeleteFolderTree(u"", false));
  EXPECT_TRUE(DeleteFolderTree(u"Q:", false));
  DelFilesFromDir(u"Q:", u"*.*", true);
  EXPECT_FALSE(RemoveFolder(u"Q:\\", false));
  EXPECT_FALSE(RemoveFolderEx(u"Q:", false));
  EXPECT_FALSE(RemoveFolder(u"", false));

  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(Exists(dir / u"drive\\a.txt"));
  EXPECT_TRUE(Exists(dir / u"drive\\sub\\c.txt"));
}

}  // namespace
}  // namespace talu

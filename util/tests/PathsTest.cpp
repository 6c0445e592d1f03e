// Path and string helpers: IsStrInStr, CorrectDir, GetFileDir, IsDirectoryEmpty and the
// shell-folder paths.
#include <windows.h>
// The headers below build on the Windows types.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "Get_Dir.h"
#include "MS_File.h"
#include "MS_Str.h"
#include "TestSupport.h"
#include "WideText.h"

namespace talu {
namespace {

struct InStrCase {
  std::u16string find, in;
  int position;  // 0: no hit
};

TEST(IsStrInStr, FindsFirstPositionFoldingOnlyAsciiLetters) {
  const InStrCase cases[] = {
      {u"c:\\x\\a.dll", u"\\??\\C:\\X\\A.DLL", 5},
      {u"same", u"SAME", 1},
      {u"ab", u"xxabyyAB", 3},
      {u"bc", u"abc", 2},  // a hit at the last possible position
      {u"abcd", u"abc", 0},
      {u"", u"abc", 0},
      {u"a", u"", 0},
      {u"\u00e9", u"\u00c9", 0},  // accented letters are not folded
      {u"[", u"{", 0},            // neither are the neighbours of the letters
      {u"@", u"`", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.find) + " in " + testing::PrintToString(c.in));
    int position = -7;
    EXPECT_EQ(IsStrInStr(c.find, c.in, position), c.position != 0);
    EXPECT_EQ(position, c.position != 0 ? c.position : -7);
  }
}

TEST(CorrectDir, AppendsOneBackslashWhenMissing) {
  EXPECT_EQ(CorrectDir(u""), u"");
  EXPECT_EQ(CorrectDir(u"C:\\"), u"C:\\");
  EXPECT_EQ(CorrectDir(u"C:\\Program"), u"C:\\Program\\");
  EXPECT_EQ(CorrectDir(u"C:\\x\\\\"), u"C:\\x\\\\");
}

TEST(GetFileDir, GivesTheFolderOfAnExistingFileOnly) {
  test::TempDir dir;
  test::WriteText(dir / u"a.txt", "a");
  EXPECT_EQ(GetFileDir(dir / u"a.txt", u"b.txt"), dir / u"b.txt");
  EXPECT_EQ(GetFileDir(dir / u"a.txt", u""), dir / u"");
  EXPECT_EQ(GetFileDir(dir.path(), u"b.txt"), u"");
  EXPECT_EQ(GetFileDir(dir / u"missing.txt", u"b.txt"), u"");
  EXPECT_EQ(GetFileDir(u"C:\\", u"b.txt"), u"");
}

TEST(GetFileDir, KeepsTheBackslashOfADriveRoot) {
  const std::u16string file =
      u"C:\\talu-util-root-" + zip::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u".txt";
  test::WriteText(file, "root");
  EXPECT_EQ(GetFileDir(file, u"b.txt"), u"C:\\b.txt");
  DeleteFileW(Wide(file));
}

TEST(IsDirectoryEmpty, TrueOnlyForAnExistingFolderWithoutEntries) {
  test::TempDir dir;
  EXPECT_TRUE(IsDirectoryEmpty(dir.path()));
  EXPECT_TRUE(IsDirectoryEmpty(dir / u""));
  test::MakeDirs(dir / u"sub");
  EXPECT_FALSE(IsDirectoryEmpty(dir.path()));
  EXPECT_TRUE(IsDirectoryEmpty(dir / u"sub"));
  test::WriteText(dir / u"sub\\f.txt", "f");
  EXPECT_FALSE(IsDirectoryEmpty(dir / u"sub"));
  EXPECT_FALSE(IsDirectoryEmpty(dir / u"missing"));
  EXPECT_FALSE(IsDirectoryEmpty(dir / u"sub\\f.txt"));
  EXPECT_FALSE(IsDirectoryEmpty(u"C:\\"));  // a root lists no "." or ".."
  EXPECT_FALSE(IsDirectoryEmpty(u""));
}

std::u16string ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return FromWide(path);
}

TEST(ShellFolders, DesktopAndProgramsComeWithoutTrailingBackslash) {
  EXPECT_EQ(GetDeskTopDir(), ShellFolder(CSIDL_DESKTOPDIRECTORY));
  EXPECT_EQ(GetProgramDir(), ShellFolder(CSIDL_PROGRAMS));
  EXPECT_NE(GetDeskTopDir().back(), u'\\');
}

}  // namespace
}  // namespace talu

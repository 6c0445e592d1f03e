// Shortcuts written through IShellLinkW and read back the same way.
#include <windows.h>
// The headers below build on the Windows types.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <thread>

#include "ComError.h"
#include "MS_File.h"
#include "Registry.h"
#include "TestSupport.h"
#include "WideText.h"

namespace talu {
namespace {

struct LinkFields {
  std::u16string target, arguments, working_dir, icon, description;
};

LinkFields ReadLink(const std::u16string& path) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                   link.put_void());
  link->QueryInterface(IID_IPersistFile, file.put_void());
  EXPECT_EQ(file->Load(Wide(path), STGM_READ), S_OK) << testing::PrintToString(path);
  wchar_t text[5][MAX_PATH] = {};
  int icon_index = -1;
  link->GetPath(text[0], MAX_PATH, nullptr, SLGP_RAWPATH);
  link->GetArguments(text[1], MAX_PATH);
  link->GetWorkingDirectory(text[2], MAX_PATH);
  link->GetIconLocation(text[3], MAX_PATH, &icon_index);
  link->GetDescription(text[4], MAX_PATH);
  return {FromWide(text[0]), FromWide(text[1]), FromWide(text[2]), FromWide(text[3]),
          FromWide(text[4])};
}

std::u16string ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return FromWide(path);
}

class Shortcuts : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    test::MakeDirs(dir / u"App");
    test::WriteText(target, "MZ");
  }
  void TearDown() override { CoUninitialize(); }

  test::TempDir dir;
  const std::u16string target = dir / u"App\\run.exe";
  const std::u16string unique =
      u"talu-util-" + zip::Utf8ToUtf16(std::to_string(GetCurrentProcessId()));
};

TEST_F(Shortcuts, OtherFolderLinkCarriesEveryField) {
  const std::u16string path =
      CreateShortcutEXEX(target, ShortcutType::_OTHERFOLDER, dir.path(), u"", u"",
                         dir / u"App\\run.ico", u"/quiet", u"Talu demo");
  EXPECT_EQ(path, dir / u"run.lnk");
  const LinkFields link = ReadLink(path);
  EXPECT_EQ(link.target, target);
  EXPECT_EQ(link.arguments, u"/quiet");
  EXPECT_EQ(link.working_dir, dir / u"App\\");
  EXPECT_EQ(link.icon, dir / u"App\\run.ico");
  EXPECT_EQ(link.description, u"Talu demo");

  const std::u16string other = CreateShortcutEXEX(target, ShortcutType::_OTHERFOLDER, dir.path(),
                                                  dir.path(), u"", u"", u"", u"");
  EXPECT_EQ(ReadLink(other).working_dir, dir.path());
  EXPECT_EQ(ReadLink(other).icon, u"");
}

TEST_F(Shortcuts, LinkPathIsJoinedAsGiven) {
  // A given name gets no extension, and a folder ending in "\" gives a doubled backslash.
  const std::u16string path = CreateShortcutEXEX(target, ShortcutType::_OTHERFOLDER, dir / u"New\\",
                                                 u"", u"Setup", u"", u"", u"");
  EXPECT_EQ(path, dir / u"New\\\\Setup");
  EXPECT_TRUE(test::Exists(dir / u"New\\Setup"));
  EXPECT_FALSE(test::Exists(dir / u"New\\Setup.lnk"));
  EXPECT_EQ(CreateShortcutEXEX(target, ShortcutType::_OTHERFOLDER, u"", u"", u"", u"", u"", u""),
            u"");
}

TEST_F(Shortcuts, ShellFolderKindsPutTheLinkInTheirSubFolder) {
  const std::pair<ShortcutType, int> kinds[] = {{ShortcutType::_DESKTOP, CSIDL_DESKTOPDIRECTORY},
                                                {ShortcutType::_SENDTO, CSIDL_SENDTO},
                                                {ShortcutType::_STARTMENU, CSIDL_STARTMENU}};
  for (const auto& [kind, csidl] : kinds) {
    const std::u16string top = ShellFolder(csidl) + u'\\' + unique;
    const std::u16string path =
        CreateShortcutEXEX(target, kind, unique + u"\\Tools", u"", u"", u"", u"", u"");
    EXPECT_EQ(path, top + u"\\Tools\\run.lnk");
    EXPECT_EQ(ReadLink(path).target, target);
    test::RemoveTree(top);
  }
}

TEST_F(Shortcuts, QuickLaunchNeedsItsRegistryValue) {
  const std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";
  RegKey groups;
  ASSERT_TRUE(groups.Create(HKEY_CURRENT_USER, key, KEY_ALL_ACCESS));
  ASSERT_FALSE(groups.ReadString(u"Quick Launch")) << "Wine has no Quick Launch folder";
  EXPECT_EQ(CreateShortcutEXEX(target, ShortcutType::_QUICKLAUNCH, u"", u"", u"", u"", u"", u""),
            u"");
  groups.WriteString(u"Quick Launch", dir.path());
  EXPECT_EQ(CreateShortcutEXEX(target, ShortcutType::_QUICKLAUNCH, u"", u"", u"", u"", u"", u""),
            dir / u"run.lnk");
  groups.DeleteValue(u"Quick Launch");
  RegDeleteKeyW(HKEY_CURRENT_USER, Wide(key));
}

TEST_F(Shortcuts, StartupLinkIsCreatedAndDeletedByTheTargetsName) {
  const std::u16string startup = ShellFolder(CSIDL_STARTUP);
  test::MakeDirs(startup);
  const std::u16string program = dir / (unique + u".exe");
  const std::u16string link = startup + u'\\' + unique + u".lnk";
  const std::u16string namesake = dir / (unique + u".lnk");
  test::WriteText(namesake, "elsewhere");

  CreateShortcut(program, u"-x", false);
  EXPECT_EQ(ReadLink(link).target, program);
  EXPECT_EQ(ReadLink(link).arguments, u"-x");
  DeleteShortcut(program, u"ignored.lnk");
  EXPECT_FALSE(test::Exists(link));
  EXPECT_TRUE(test::Exists(namesake));
  CreateShortcut(program, u"", true);  // nothing left to delete
}

TEST(ShortcutsWithoutCom, RaiseTheComponentError) {
  bool raised = false;
  std::thread([&] {
    try {
      CreateShortcutEXEX(u"C:\\a.exe", ShortcutType::_OTHERFOLDER, u"C:\\", u"", u"", u"", u"",
                         u"");
    } catch (const ComError&) {
      raised = true;
    }
  }).join();
  EXPECT_TRUE(raised);
}

}  // namespace
}  // namespace talu

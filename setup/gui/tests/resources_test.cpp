// The resources that talu_add_gui_program puts into a program: the manifest (common controls
// 6, no elevation) and the version 1.0.7.0; and that the manifest takes effect.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring ProgramBeside(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

TEST(GuiProgram, CarriesTheManifestForCommonControls6AndNoElevation) {
  HMODULE demo =
      LoadLibraryExW(ProgramBeside(L"gui_demo.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(demo, nullptr);
  HRSRC resource = FindResourceW(demo, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(resource, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(demo, resource))),
                             SizeofResource(demo, resource));
  FreeLibrary(demo);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

TEST(GuiProgram, CarriesFileVersion1070) {
  const std::wstring path = ProgramBeside(L"gui_demo.exe");
  std::vector<char> data(GetFileVersionInfoSizeW(path.c_str(), nullptr));
  ASSERT_FALSE(data.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &size));
  EXPECT_EQ(info->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(info->dwFileVersionLS, MAKELONG(0, 7));
}

TEST(GuiProgram, ManifestRedirectsToCommonControls6) {
  // This test program carries the same manifest (talu_gui_manifest).
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof redirection;
  EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &redirection));
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
  const std::wstring loaded = CharLowerW(path);
  EXPECT_NE(loaded.find(L"common-controls"), std::wstring::npos);
  EXPECT_NE(loaded.find(L"_6.0."), std::wstring::npos);
}

}  // namespace

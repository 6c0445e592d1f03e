// The Wine runner's promises: a 32-bit Windows seen by the program, a prefix whose user
// folders are real folders (nothing written there reaches the Linux home folder).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

TEST(WineRunner, RunsAs32BitNtFamily) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(sizeof(void*), 4u);
}

TEST(WineRunner, DesktopStaysInsideThePrefix) {
  const std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  ASSERT_FALSE(desktop.empty());
  const std::wstring probe = desktop + L"\\wine_runner_probe.txt";
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  // The runner's HOME is a Linux folder inside its root; seen from Windows it lies on drive Z:.
  const char* root = std::getenv("TALU_WINE_ROOT");
  ASSERT_NE(root, nullptr);
  const std::filesystem::path home = std::filesystem::path("Z:") / root / "home";
  ASSERT_TRUE(std::filesystem::is_directory(home));
  const std::filesystem::path leaked = home / "wine_runner_probe.txt";
  EXPECT_FALSE(std::filesystem::exists(leaked)) << "desktop is linked to the Linux home folder";
  DeleteFileW(probe.c_str());
}

}  // namespace

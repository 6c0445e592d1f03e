// The Wine runner's promises: a Windows of the program's own kind (32-bit for the PE32 build,
// 64-bit for its twin), a prefix whose user folders are real folders (nothing written there
// reaches the Linux home folder), and no DLL that Windows lacks.
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

TEST(WineRunner, RunsOnNtFamilyOfItsOwnKind) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  // Not a 32-bit program on 64-bit Windows: each build has a prefix of its own kind.
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  const WORD own = sizeof(void*) == 8 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
  EXPECT_EQ(system.wProcessorArchitecture, own);
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

TEST(WineRunner, ProgramNeedingADllWindowsLacksDoesNotStart) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring importer =
      (std::filesystem::path(self).parent_path() / "zlib1_importer.exe").wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(importer.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(code, static_cast<DWORD>(STATUS_DLL_NOT_FOUND));
}

}  // namespace

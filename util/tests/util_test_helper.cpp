// A second process for the utility tests.
//   lock PATH       holds PATH open without delete sharing; prints "locked", ends at end of input
//   platform        exits with the platform id the process sees
//   schedule PATH   DeleteFileNextBoot; exit 0 when recorded
//   withdraw PATH   DesistDeleteFileNextBoot
//   standard-user   refuses writes to the machine-wide lists as for a user without administrator
//                   rights; prints "denied", ends (and allows them again) at end of input
//   logon           plays the user's next logon (the RunOnce commands)
// A copy registered with Wine as a Windows 98 program runs the "wininit.ini" branch.
#include <windows.h>

#include <cstdio>
#include <string>

#include "MS_File.h"
#include "NextBoot.h"
#include "TestSupport.h"
#include "WinHandles.h"

namespace {

std::u16string Arg(const wchar_t* text) {
  return std::u16string(text, text + wcslen(text));
}

// Prints `state` and waits for the end of the input.
int Hold(const char* state) {
  std::printf("%s\n", state);
  std::fflush(stdout);
  char unused[16];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), unused, sizeof unused, &got, nullptr) &&
         got > 0) {
  }
  return 0;
}

int HoldLocked(const wchar_t* path) {
  talu::FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  return file ? Hold("locked") : 1;
}

int HoldStandardUser() {
  const talu::test::StandardUserRights rights;
  return rights.applied() ? Hold("denied") : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"platform") return static_cast<int>(talu::PlatformId());
  if (command == L"standard-user") return HoldStandardUser();
  if (command == L"logon") {
    talu::test::PlayNextLogon();
    return 0;
  }
  if (argc < 3) return 2;
  if (command == L"lock") return HoldLocked(argv[2]);
  if (command == L"schedule") return talu::DeleteFileNextBoot(Arg(argv[2])) ? 0 : 1;
  if (command == L"withdraw") {
    talu::DesistDeleteFileNextBoot(Arg(argv[2]));
    return 0;
  }
  return 2;
}

#include <io.h>
#include <windows.h>

#include <string>

#include "Terminal.h"
#include "ZipReadExit.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

volatile LONG gInterrupted = 0;

BOOL WINAPI OnInterrupt(DWORD) {
  if (InterlockedExchange(&gInterrupted, 1)) ExitProcess(kExitInterrupted);
  return TRUE;
}

}  // namespace

void CatchInterrupts() {
  SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

bool Interrupted() {
  return gInterrupted != 0;
}

bool HasTerminal() {
  return _isatty(_fileno(stdin)) && _isatty(_fileno(stderr));
}
bool StderrIsTerminal() {
  return _isatty(_fileno(stderr));
}

std::string ShownName(const std::u16string& name) {
  return zip::Utf16ToUtf8(name);
}

// Reads through the console in UTF-16 so that any typed character arrives intact.
bool ReadTerminalLine(std::string& line, bool echo) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  const bool console = GetConsoleMode(in, &mode);
  if (console && !echo) SetConsoleMode(in, mode & ~ENABLE_ECHO_INPUT);
  std::wstring text;
  wchar_t buffer[256];
  DWORD got = 0;
  bool ok = false;
  while (ReadConsoleW(in, buffer, 256, &got, nullptr) && got > 0) {
    ok = true;
    text.append(buffer, got);
    if (text.back() == L'\n') break;
  }
  if (console && !echo) {
    SetConsoleMode(in, mode);
    WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), L"\r\n", 2, &got, nullptr);
  }
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  line = zip::Utf16ToUtf8({reinterpret_cast<const char16_t*>(text.data()), text.size()});
  return ok;
}

}  // namespace talu::zipread

#include "gui/tests/gui_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/application.h"
#include "gui/tests/window_probe.h"
#include "gui/text.h"

namespace gui::test {
namespace {

constexpr probe::milliseconds kWindowTimeout{10000};
constexpr DWORD kDriverTimeoutMs = 60000;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// One argument of a command line, quoted so that the C runtime reads it back unchanged:
// backslashes are doubled where a quotation mark follows them.
std::wstring Quoted(const std::u16string& arg) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == u'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += static_cast<wchar_t>(c);
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

// An inheritable temporary file for the driver's output, deleted when closed.
HANDLE OutputFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Serves this thread's messages until `process` ends.
DWORD WaitServing(HANDLE process) {
  const ULONGLONG deadline = GetTickCount64() + kDriverTimeoutMs;
  while (GetTickCount64() < deadline) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    ProcessMessages();
  }
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(process, &exitCode);
  return exitCode;
}

}  // namespace

std::u16string UniqueCaption(const std::u16string& base) {
  return base + u" " + Utf8ToUtf16(std::to_string(GetCurrentProcessId()));
}

Answerer::Answerer(std::u16string caption, std::function<void(HWND)> act)
    : thread_([this, caption = std::move(caption), act = std::move(act),
               creator = GetCurrentThreadId()] {
        const DWORD self = GetCurrentProcessId();
        HWND window = probe::WaitForWindow(caption, kWindowTimeout, self);
        if (window != nullptr) {
          found_ = true;
          act(window);
        }
        if (window == nullptr || !probe::WaitUntilGone(caption, kWindowTimeout, self)) {
          PostThreadMessageW(creator, WM_QUIT, 0, 0);
        }
      }) {}

std::vector<std::u16string> ButtonTexts(HWND window) {
  std::vector<std::u16string> texts;
  wchar_t className[32] = {};
  for (HWND control : probe::Controls(window)) {
    GetClassNameW(control, className, 32);
    if (lstrcmpiW(className, L"Button") == 0) texts.push_back(probe::ReadText(control));
  }
  return texts;
}

DriverRun RunDriver(const std::vector<std::u16string>& args) {
  std::wstring command = Quoted(FromWide(ProgramFolder() + L"gui_driver.exe"));
  for (const auto& arg : args) command += L" " + Quoted(arg);
  const std::wstring outputPath =
      ProgramFolder() + L"gui_driver_" + std::to_wstring(GetCurrentProcessId()) + L".out";
  HANDLE output = OutputFile(outputPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process{};
  DriverRun run{STILL_ACTIVE, {}};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    run.exitCode = WaitServing(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(output);
  run.output = ReadAll(outputPath);
  DeleteFileW(outputPath.c_str());
  return run;
}

}  // namespace gui::test

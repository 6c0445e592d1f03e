#include "SetupRules.h"

#include <windows.h>
// After <windows.h>:
#include <shellapi.h>

#include "FileSystem.h"
#include "Get_Dir.h"
#include "SetupConst.h"
#include "WideText.h"
#include "text/ZipStrFunc.h"

namespace talu::setup {
namespace {

std::u16string UpperAscii(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

std::u16string ModulePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return FromWide(buffer.substr(0, length).c_str());
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

TSetupContext TSetupContext::FromProcess() {
  TSetupContext context;
  int count = 0;
  if (wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) context.arguments.push_back(FromWide(words[i]));
    LocalFree(words);
  }
  context.programPath = ModulePath();
  return context;
}

bool IsUninstallRun(const TSetupContext& context) {
  if (!context.arguments.empty() && context.arguments.front() == kUninstallCaption) return true;
  return UpperAscii(std::u16string(zip::ExtractFileName(context.programPath))) == u"UNINSTALL.EXE";
}

std::u16string ProgramFolder(const TSetupContext& context) {
  return ExcludeTrailingBackslash(zip::ExtractFilePath(context.programPath));
}

bool HasDrivePart(const std::u16string& path) {
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == u':') return true;
  if (path.rfind(u"\\\\", 0) != 0) return false;
  const auto shareStart = path.find(u'\\', 2);
  return shareStart != std::u16string::npos && shareStart > 2 && shareStart + 1 < path.size() &&
         path[shareStart + 1] != u'\\';
}

bool IsDriveRelative(const std::u16string& path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == u':' &&
         (path.size() == 2 || (path[2] != u'\\' && path[2] != u'/'));
}

std::u16string UninstallCommand(const std::u16string& folder) {
  const std::u16string program = CorrectDir(folder) + kUninstallerName;
  if (program.find(u' ') == std::u16string::npos) return program + u" Uninstall";
  return u"\"" + program + u"\" Uninstall";
}

const TEdition* EditionAt(int index) {
  static constexpr TEdition kEditions[] = {
      {kEditionFiles[0], {kEditionFiles[1], kEditionFiles[3], kEditionFiles[2]}},
      {kEditionFiles[1], {kEditionFiles[0], kEditionFiles[3], kEditionFiles[2]}},
      {kEditionFiles[2], {kEditionFiles[1], kEditionFiles[3], kEditionFiles[0]}},
      {kEditionFiles[3], {kEditionFiles[1], kEditionFiles[0], kEditionFiles[2]}},
  };
  if (index < 0 || index >= static_cast<int>(std::size(kEditions))) return nullptr;
  return &kEditions[index];
}

}  // namespace talu::setup

#include "Wininit.h"

#include <windows.h>

#include "AnsiLines.h"
#include "FileSystem.h"
#include "WideText.h"

namespace talu {
namespace {

constexpr char16_t kRenameSection[] = u"[rename]";

std::u16string DeletionLine(const std::u16string& shortPath) {
  return u"NUL=" + shortPath;
}

}  // namespace

std::u16string WininitPathIn(const std::u16string& windowsFolder) {
  return windowsFolder + (windowsFolder.size() > 3 ? u"\\wininit.ini" : u"wininit.ini");
}

std::u16string WininitPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetWindowsDirectoryW(folder, MAX_PATH + 1);
  return WininitPathIn(FromWide(folder));
}

bool ScheduleInWininit(const std::u16string& iniPath, const std::u16string& file) {
  const std::u16string shortPath = ShortPathOf(file);
  if (shortPath.empty()) return false;
  TextLines lines = LoadAnsiLines(iniPath);
  auto section = IndexOfLine(lines, kRenameSection);
  if (!section) {
    lines.push_back(kRenameSection);
    section = lines.size() - 1;
  }
  // Directly below the section line: the newest request stands first.
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*section + 1), DeletionLine(shortPath));
  return SaveAnsiLines(iniPath, lines);
}

void WithdrawFromWininit(const std::u16string& iniPath, const std::u16string& file) {
  TextLines lines = LoadAnsiLines(iniPath);
  if (!IndexOfLine(lines, kRenameSection)) return;
  const std::u16string shortPath = ShortPathOf(file);
  if (shortPath.empty()) return;
  if (const auto line = IndexOfLine(lines, DeletionLine(shortPath))) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*line));
  }
  SaveAnsiLines(iniPath, lines);
}

}  // namespace talu

#include "LogonDeletions.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "AnsiLines.h"
#include "FileSystem.h"
#include "Registry.h"
#include "WideText.h"

namespace talu {
namespace {

constexpr char16_t kListName[] = u"TaluDelete.cmd";
constexpr char16_t kListHeader[] = u"@echo off";
constexpr char16_t kFolderCommand[] = u"rd ";
// A value's data fits the 260 units the shell takes, its terminator included.
constexpr size_t kLongestValue = MAX_PATH - 1;
// The longest line the command interpreter takes.
constexpr size_t kLongestLine = 8191;

struct TLogonEntry {
  std::u16string path;  // NormalPath
  bool folder;
};

std::u16string Quoted(const std::u16string& text) {
  return u'"' + text + u'"';
}

std::u16string CommandOf(const TLogonEntry& entry) {
  // "if not exist" keeps "del" from emptying a folder that has taken the file's place.
  return entry.folder
             ? kFolderCommand + Quoted(entry.path)
             : u"if not exist " + Quoted(entry.path + u"\\*") + u" del /f /a " + Quoted(entry.path);
}

// The entry a line of the list stands for: the path inside its last pair of quotation marks.
std::optional<TLogonEntry> EntryOf(const std::u16string& line) {
  if (line.size() < 2 || line.back() != u'"') return std::nullopt;
  const size_t open = line.rfind(u'"', line.size() - 2);
  if (open == std::u16string::npos) return std::nullopt;
  return TLogonEntry{line.substr(open + 1, line.size() - open - 2),
                     line.starts_with(kFolderCommand)};
}

std::vector<TLogonEntry> LoadList(const std::u16string& list) {
  std::vector<TLogonEntry> entries;
  for (const auto& line : LoadAnsiLines(list, CP_OEMCP)) {
    if (auto entry = EntryOf(line)) entries.push_back(*entry);
  }
  return entries;
}

bool SaveList(const std::u16string& list, const std::vector<TLogonEntry>& entries) {
  TextLines lines{kListHeader};
  for (const auto& entry : entries) lines.push_back(CommandOf(entry));
  return SaveAnsiLines(list, lines, CP_OEMCP);
}

// Runs the list, then deletes it; nothing where there is no list.
std::u16string ValueFor(const std::u16string& list) {
  return u"cmd.exe /d /c if exist " + Quoted(list) + u" (call " + Quoted(list) + u" & del /f /a " +
         Quoted(list) + u")";
}

bool IsInside(const std::u16string& path, const std::u16string& folder) {
  const std::u16string prefix = folder.ends_with(u'\\') ? folder : folder + u'\\';
  return path.size() > prefix.size() && SameTextIgnoringCase(path.substr(0, prefix.size()), prefix);
}

// Without the characters the command interpreter would expand or end a quoted path at.
bool IsQuotable(const std::u16string& path) {
  return path.find_first_of(u"%!\"") == std::u16string::npos;
}

bool CanBeWritten(const TLogonEntry& entry) {
  const std::u16string command = CommandOf(entry);
  return IsQuotable(entry.path) && command.size() <= kLongestLine &&
         FitsCodePage(command, CP_OEMCP);
}

// Withdrawals and scheduling both find an entry by its whole normal path.
std::vector<TLogonEntry>::iterator Find(std::vector<TLogonEntry>& entries,
                                        const std::u16string& normal) {
  return std::find_if(entries.begin(), entries.end(), [&](const TLogonEntry& entry) {
    return SameTextIgnoringCase(entry.path, normal);
  });
}

}  // namespace

std::u16string LogonListPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
      folder[0] == L'\0') {
    return {};
  }
  return ExcludeTrailingBackslash(FromWide(folder)) + u'\\' + kListName;
}

bool ScheduleAtLogon(const std::u16string& path) {
  const std::u16string list = LogonListPath();
  const TLogonEntry added{NormalPath(path), DirectoryExists(path)};
  const std::u16string value = ValueFor(list);
  if (list.empty() || !IsQuotable(list) || value.size() > kLongestValue || !CanBeWritten(added)) {
    return false;
  }
  std::vector<TLogonEntry> entries = LoadList(list);
  if (Find(entries, added.path) == entries.end()) {
    // Before the first folder that holds it, so that the folder goes after its contents.
    const auto holder = std::find_if(entries.begin(), entries.end(), [&](const TLogonEntry& entry) {
      return entry.folder && IsInside(added.path, entry.path);
    });
    entries.insert(holder, added);
    if (!SaveList(list, entries)) return false;
  }
  RegKey key;
  return key.Create(HKEY_CURRENT_USER, kRunOnceKey, KEY_SET_VALUE) &&
         key.WriteString(kLogonValueName, value);
}

void WithdrawFromLogon(const std::u16string& path) {
  const std::u16string list = LogonListPath();
  if (list.empty()) return;
  std::vector<TLogonEntry> entries = LoadList(list);
  const auto found = Find(entries, NormalPath(path));
  if (found == entries.end()) return;
  entries.erase(found);
  if (!entries.empty()) {
    SaveList(list, entries);
    return;
  }
  DeleteFileW(Wide(list));
  RegKey key;
  if (key.Open(HKEY_CURRENT_USER, kRunOnceKey, KEY_SET_VALUE)) key.DeleteValue(kLogonValueName);
}

}  // namespace talu

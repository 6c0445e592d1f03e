#include "LogonDeletions.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "FileSystem.h"
#include "Registry.h"

namespace talu {
namespace {

// A value's data fits the 260 units the shell takes, its terminator included.
constexpr size_t kLongestCommand = MAX_PATH - 1;

bool IsOurs(const std::u16string& name) {
  return name.starts_with(kLogonValuePrefix);
}

// The path a command names: the text inside its last pair of quotation marks.
std::u16string PathInCommand(const std::u16string& command) {
  if (command.size() < 2 || command.back() != u'"') return {};
  const size_t open = command.rfind(u'"', command.size() - 2);
  return open == std::u16string::npos ? u"" : command.substr(open + 1, command.size() - open - 2);
}

std::u16string CommandFor(const std::u16string& path, bool folder) {
  const std::u16string quoted = u'"' + path + u'"';
  // "if not exist" keeps "del" from emptying a folder that has taken the file's place.
  return folder ? u"cmd.exe /d /c rd " + quoted
                : u"cmd.exe /d /c if not exist \"" + path + u"\\*\" del /f /a " + quoted;
}

// The number of the next value: one more than the highest of ours.
unsigned NextNumber(const RegKey& key) {
  unsigned highest = 0;
  for (const auto& name : key.ValueNames()) {
    if (!IsOurs(name)) continue;
    const std::u16string digits = name.substr(std::u16string_view(kLogonValuePrefix).size());
    unsigned number = 0;
    for (const char16_t c : digits) number = c >= u'0' && c <= u'9' ? number * 10 + (c - u'0') : 0;
    if (number > highest) highest = number;
  }
  return highest + 1;
}

std::u16string ValueName(unsigned number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04u", number);
  return kLogonValuePrefix +
         std::u16string(digits, digits + std::char_traits<char>::length(digits));
}

// The full path, without a trailing backslash unless it is a drive's root.
std::u16string NormalPath(const std::u16string& path) {
  const std::u16string full = FullPathOf(path);
  return full.size() > 3 ? ExcludeTrailingBackslash(full) : full;
}

}  // namespace

std::u16string LogonDeleteCommand(const std::u16string& path, bool folder) {
  if (path.find_first_of(u"%!\"") != std::u16string::npos) return {};
  std::u16string command = CommandFor(path, folder);
  if (command.size() <= kLongestCommand) return command;
  const std::u16string shorter = ShortPathOf(path);
  if (shorter.empty()) return {};
  command = CommandFor(shorter, folder);
  return command.size() <= kLongestCommand ? command : u"";
}

bool ScheduleAtLogon(const std::u16string& path) {
  const std::u16string command = LogonDeleteCommand(NormalPath(path), DirectoryExists(path));
  RegKey key;
  if (command.empty() || !key.Create(HKEY_CURRENT_USER, kRunOnceKey, KEY_ALL_ACCESS)) return false;
  for (const auto& name : key.ValueNames()) {
    if (IsOurs(name) && key.ReadString(name) == command) return true;
  }
  return key.WriteString(ValueName(NextNumber(key)), command);
}

void WithdrawFromLogon(const std::u16string& path) {
  RegKey key;
  if (!key.Open(HKEY_CURRENT_USER, kRunOnceKey, KEY_ALL_ACCESS)) return;
  const std::u16string full = NormalPath(path), shorter = ShortPathOf(full);
  for (const auto& name : key.ValueNames()) {
    if (!IsOurs(name)) continue;
    const std::u16string named = PathInCommand(key.ReadString(name).value_or(u""));
    if (!named.empty() &&
        (SameTextIgnoringCase(named, full) || SameTextIgnoringCase(named, shorter))) {
      key.DeleteValue(name);
      return;
    }
  }
}

}  // namespace talu

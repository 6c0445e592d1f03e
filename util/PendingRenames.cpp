#include "PendingRenames.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "FileSystem.h"
#include "MultiSz.h"
#include "Registry.h"
#include "WideText.h"

namespace talu {
namespace {

bool IsRefusedType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD;
}

// The value's UTF-16 units, read at its own size (lists of other programs can be long), with a
// closing zero; nothing when there is no usable value.
std::optional<std::u16string> ReadPendingValue() {
  RegKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_QUERY_VALUE)) return std::nullopt;
  DWORD size = 0, type = REG_NONE;
  // The value may grow between the two reads: another program schedules something.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!key.ReadRaw(kPendingRenamesValue, nullptr, size, type) || IsRefusedType(type)) break;
    std::u16string units(size / sizeof(char16_t) + 1, u'\0');
    if (key.ReadRaw(kPendingRenamesValue, units.data(), size, type)) {
      if (IsRefusedType(type)) break;
      units.resize(size / sizeof(char16_t));
      units.push_back(u'\0');
      return units;
    }
  }
  return std::nullopt;
}

bool WritePendingValue(const std::u16string& text) {
  RegKey key;
  if (!key.Create(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_SET_VALUE)) return false;
  if (text.empty()) return key.DeleteValue(kPendingRenamesValue);
  // The text's own zero after its last entry closes the list.
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
  return key.WriteRaw(kPendingRenamesValue, REG_MULTI_SZ, text.c_str(), bytes);
}

}  // namespace

bool ScheduleInRegistry(const std::u16string& path) {
  return MoveFileExW(Wide(NormalPath(path)), nullptr,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool MayWritePendingList() {
  HKEY key = nullptr;
  const LONG status =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kSessionManagerKey), 0, KEY_SET_VALUE, &key);
  const RegKeyHandle owner(key);
  return status != ERROR_ACCESS_DENIED;
}

bool WithdrawFromRegistry(const std::u16string& path) {
  const auto value = ReadPendingValue();
  std::vector<std::u16string> entries;
  if (!value || ExtractREG_MULTI_SZ(*value, entries) == 0) return true;
  const auto found = FindPendingDeletion(entries, NormalPath(path));
  if (!found) return true;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*found));
  return WritePendingValue(JoinEntries(entries));
}

}  // namespace talu

#include "PendingRenames.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "MultiSz.h"
#include "Registry.h"
#include "WideText.h"

namespace talu {
namespace {

bool IsRefusedType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD;
}

// Reads the value into the cleared buffer; false when there is nothing usable to read.
bool ReadPendingValue(TMulti_SZ& buffer) {
  RegKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_ALL_ACCESS)) return false;
  buffer.fill(u'\0');
  DWORD size = sizeof buffer;
  DWORD type = REG_NONE;
  return key.ReadRaw(kPendingRenamesValue, buffer.data(), size, type) && !IsRefusedType(type);
}

void WritePendingValue(const std::u16string& text) {
  RegKey key;
  if (!key.Create(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_ALL_ACCESS)) return;
  if (text.empty()) {
    key.DeleteValue(kPendingRenamesValue);
    return;
  }
  // The text's own zero after its last entry closes the list.
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
  key.WriteRaw(kPendingRenamesValue, REG_MULTI_SZ, text.c_str(), bytes);
}

// The platform records the full path, so "C:\a\\b" or "C:\a\.\b" must find "C:\a\b".
std::u16string FullPathOf(const std::u16string& path) {
  std::vector<wchar_t> full(MAX_PATH + 1);
  DWORD length =
      GetFullPathNameW(Wide(path), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length + 1);
    length = GetFullPathNameW(Wide(path), length + 1, full.data(), nullptr);
  }
  return length == 0 || length >= full.size() ? path : FromWide(full.data());
}

}  // namespace

bool ScheduleInRegistry(const std::u16string& path) {
  return MoveFileExW(Wide(path), nullptr,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

void WithdrawFromRegistry(const std::u16string& path) {
  auto buffer = std::make_unique<TMulti_SZ>();
  if (!ReadPendingValue(*buffer)) return;
  std::vector<std::u16string> entries;
  if (ExtractREG_MULTI_SZ(*buffer, entries) == 0) return;
  const auto found = FindPendingDeletion(entries, FullPathOf(path));
  if (!found) return;
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(*found));
  WritePendingValue(JoinEntries(entries));
}

}  // namespace talu

// One open registry key: open or create, read and write values, delete values.
// Every call reports failure by its result; nothing throws.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "WinHandles.h"

namespace talu {

class RegKey {
 public:
  // Opens an existing key; false when it is missing or access is refused.
  bool Open(HKEY root, const std::u16string& path, REGSAM access);
  // Opens the key, creating it and missing parents first.
  bool Create(HKEY root, const std::u16string& path, REGSAM access);
  bool IsOpen() const { return static_cast<bool>(key_); }
  HKEY get() const { return key_.get(); }

  // A string value (REG_SZ or REG_EXPAND_SZ, not expanded) up to its first zero unit.
  std::optional<std::u16string> ReadString(const std::u16string& name) const;
  // Reads a value of any type into `data`; `size` is the capacity in, the byte count out.
  // False when the value is missing or larger than the capacity.
  bool ReadRaw(const std::u16string& name, void* data, DWORD& size, DWORD& type) const;

  bool WriteString(const std::u16string& name, const std::u16string& value) const;
  bool WriteRaw(const std::u16string& name, DWORD type, const void* data, DWORD size) const;
  bool DeleteValue(const std::u16string& name) const;
  // The names of the key's values, in the order the registry lists them.
  std::vector<std::u16string> ValueNames() const;

 private:
  RegKeyHandle key_;
};

}  // namespace talu

// An INI-style view of one registry key: a "section" is a subkey, an "ident" a string value in
// it. The key is opened with full access under the given root and created when missing.
#pragma once

#include <windows.h>

#include <string>

#include "Registry.h"

namespace talu {

class RegIniFile {
 public:
  RegIniFile(HKEY root, const std::u16string& path);

  // The string value, or `fallback` when the key, the section or the value is missing.
  std::u16string ReadString(const std::u16string& section, const std::u16string& ident,
                            const std::u16string& fallback) const;

 private:
  RegKey key_;
};

}  // namespace talu

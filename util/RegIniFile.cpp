#include "RegIniFile.h"

namespace talu {

RegIniFile::RegIniFile(HKEY root, const std::u16string& path) {
  key_.Create(root, path, KEY_ALL_ACCESS);
}

std::u16string RegIniFile::ReadString(const std::u16string& section, const std::u16string& ident,
                                      const std::u16string& fallback) const {
  if (!key_.IsOpen()) return fallback;
  RegKey section_key;
  if (!section_key.Open(key_.get(), section, KEY_READ)) return fallback;
  return section_key.ReadString(ident).value_or(fallback);
}

}  // namespace talu

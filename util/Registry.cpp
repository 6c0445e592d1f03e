#include "Registry.h"

#include <vector>

#include "WideText.h"

namespace talu {

bool RegKey::Open(HKEY root, const std::u16string& path, REGSAM access) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExW(root, Wide(path), 0, access, &key);
  key_.reset(status == ERROR_SUCCESS ? key : nullptr);
  return IsOpen();
}

bool RegKey::Create(HKEY root, const std::u16string& path, REGSAM access) {
  HKEY key = nullptr;
  const LONG status = RegCreateKeyExW(root, Wide(path), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                      nullptr, &key, nullptr);
  key_.reset(status == ERROR_SUCCESS ? key : nullptr);
  return IsOpen();
}

std::optional<std::u16string> RegKey::ReadString(const std::u16string& name) const {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(get(), Wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  if (!ReadRaw(name, text.data(), size, type)) return std::nullopt;
  return FromWide(text.data());
}

bool RegKey::ReadRaw(const std::u16string& name, void* data, DWORD& size, DWORD& type) const {
  return RegQueryValueExW(get(), Wide(name), nullptr, &type, static_cast<BYTE*>(data), &size) ==
         ERROR_SUCCESS;
}

bool RegKey::WriteString(const std::u16string& name, const std::u16string& value) const {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(char16_t));
  return WriteRaw(name, REG_SZ, value.c_str(), bytes);
}

bool RegKey::WriteRaw(const std::u16string& name, DWORD type, const void* data, DWORD size) const {
  return RegSetValueExW(get(), Wide(name), 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

bool RegKey::DeleteValue(const std::u16string& name) const {
  return RegDeleteValueW(get(), Wide(name)) == ERROR_SUCCESS;
}

std::vector<std::u16string> RegKey::ValueNames() const {
  std::vector<std::u16string> names;
  DWORD longest = 0;
  if (RegQueryInfoKeyW(get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return names;
  }
  std::vector<wchar_t> name(longest + 1);
  for (DWORD index = 0;; ++index) {
    DWORD length = longest + 1;
    if (RegEnumValueW(get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return names;
    }
    names.push_back(FromWide(name.data()));
  }
}

}  // namespace talu

// Passing UTF-16 strings to and from the wide-character Windows API.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

namespace talu {

// The string as the API's LPCWSTR; valid while `text` lives and is not changed.
inline const wchar_t* WStr(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A zero-terminated wide string (for example an API result buffer) up to its first zero unit.
inline std::u16string U16(const wchar_t* text) {
  if (text == nullptr) return {};
  const wchar_t* end = text;
  while (*end != L'\0') ++end;
  return std::u16string(text, end);
}

}  // namespace talu

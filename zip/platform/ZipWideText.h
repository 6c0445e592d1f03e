// UTF-16 text at the wide-character Windows calls of the platform layer.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

namespace talu::zip::platform {

inline const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* Wide(char16_t* text) {
  return reinterpret_cast<wchar_t*>(text);
}
// Valid while `text` lives and is not changed.
inline const wchar_t* Wide(const std::u16string& text) {
  return Wide(text.c_str());
}

}  // namespace talu::zip::platform

// UTF-16 text at the wide-character Windows calls: std::u16string inside, wchar_t at the calls.
// The one copy of these casts; util/ and the setup program's GUI layer use it too.
#pragma once

#include <string>
#include <string_view>

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

inline std::u16string FromWide(std::wstring_view text) {
  return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
// A zero-terminated wide string (for example an API result buffer) up to its first zero unit;
// empty for null.
inline std::u16string FromWide(const wchar_t* text) {
  return text == nullptr ? std::u16string() : FromWide(std::wstring_view(text));
}

}  // namespace talu::zip::platform

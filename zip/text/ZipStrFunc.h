// String helpers of the archive engine: ASCII lower-casing, message formatting and the parts of
// a file path.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace talu::zip {

// Lower-cases 'A' to 'Z' only; every other code unit stays as it is.
inline char16_t ZipLowerChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}
std::u16string ZipLowerCase(std::u16string_view text);

// One argument of a message pattern: text for %s, a number for %d.
using TFormatArg = std::variant<std::u16string, std::int64_t>;
// Fills %s and %d in `pattern` from `args` in order; %% gives a percent sign. A placeholder
// without an argument is left as it is.
std::u16string Format(std::u16string_view pattern, std::initializer_list<TFormatArg> args);

// `text` with every `from` turned into `to` (a stored name's "/" into "\\" and back).
std::u16string Slashed(std::u16string_view text, char16_t from, char16_t to);

// The drive part of a path: "C:" or "\\server\share", else empty.
std::u16string_view ExtractFileDrive(std::u16string_view path);
// The part after the last "\", "/" or drive colon.
std::u16string_view ExtractFileName(std::u16string_view path);
// The part before the name, with its separator.
std::u16string_view ExtractFilePath(std::u16string_view path);
// The extension from the last "." of the name part on, or empty.
std::u16string_view ExtractFileExt(std::u16string_view path);

}  // namespace talu::zip

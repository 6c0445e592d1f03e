// UTF-8 and UTF-16 conversions shared by the engine and its platform layers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace talu::zip {

// Whether `bytes` hold at least one byte of 0x80 or above.
bool HasNonAscii(std::string_view bytes);

// Decodes well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF) into `out`,
// which has room for bytes.size() units. Returns the units written, or -1 when `bytes` is not
// well-formed UTF-8.
std::ptrdiff_t DecodeUtf8(std::string_view bytes, char16_t* out);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16 for text that the program itself handles (arguments, messages); bytes that
// are not well-formed come out as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace talu::zip

// UTF-16 text at the Win32 boundary: std::u16string inside, wchar_t at the calls.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/ZipWideText.h"
#include "text/ZipUtf.h"

namespace gui {

using talu::zip::platform::FromWide;
using talu::zip::platform::Wide;

// The text of a window of this process (caption, label or edit contents).
std::u16string WindowText(HWND window);

// UTF-8 text (messages, numbers, traces) converts with the engine's functions: a byte that
// is not well-formed UTF-8, or an unpaired surrogate, becomes U+FFFD.
using talu::zip::Utf16ToUtf8;
using talu::zip::Utf8ToUtf16;

// The text without its access-key markers: "&Yes" -> "Yes", "&&" -> "&".
std::u16string WithoutAccessKeys(std::u16string_view text);

}  // namespace gui

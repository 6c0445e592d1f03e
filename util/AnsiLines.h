// A text file as a list of lines in one of the system's 8-bit code pages (by default the ANSI
// one; command scripts are read in the OEM one).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace talu {

using TextLines = std::vector<std::u16string>;

// The file's lines, split at CR LF, LF or CR; empty when the file cannot be read.
TextLines LoadAnsiLines(const std::u16string& path, UINT codePage = CP_ACP);
// Writes every line followed by CR LF, replacing the file; false when it cannot be written.
bool SaveAnsiLines(const std::u16string& path, const TextLines& lines, UINT codePage = CP_ACP);
// True when the code page holds every character of `text` as it is (no stand-in).
bool FitsCodePage(const std::u16string& text, UINT codePage);

// The index of the first line equal to `line` with letter case ignored.
std::optional<size_t> IndexOfLine(const TextLines& lines, const std::u16string& line);

}  // namespace talu

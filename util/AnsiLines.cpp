#include "AnsiLines.h"

#include <windows.h>

#include "FileSystem.h"
#include "WideText.h"
#include "WinHandles.h"

namespace talu {
namespace {

std::string ReadAll(const std::u16string& path) {
  FileHandle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
    bytes.append(chunk, got);
  }
  return bytes;
}

std::u16string FromAnsi(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), units);
  return std::u16string(wide.begin(), wide.end());
}

std::string ToAnsi(const std::u16string& text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, Wide(text), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, Wide(text), size, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

}  // namespace

TextLines LoadAnsiLines(const std::u16string& path, UINT codePage) {
  const std::u16string text = FromAnsi(ReadAll(path), codePage);
  TextLines lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
        text[end + 1] == u'\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

bool SaveAnsiLines(const std::u16string& path, const TextLines& lines, UINT codePage) {
  std::u16string text;
  for (const auto& line : lines) text += line + u"\r\n";
  const std::string bytes = ToAnsi(text, codePage);
  FileHandle file(CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

bool FitsCodePage(const std::u16string& text, UINT codePage) {
  return FromAnsi(ToAnsi(text, codePage), codePage) == text;
}

std::optional<size_t> IndexOfLine(const TextLines& lines, const std::u16string& line) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (SameTextIgnoringCase(lines[i], line)) return i;
  }
  return std::nullopt;
}

}  // namespace talu

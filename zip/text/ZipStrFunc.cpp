#include "ZipStrFunc.h"

#include <algorithm>

namespace talu::zip {
namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

std::u16string NumberText(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string ZipLowerCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = ZipLowerChar(c);
  return out;
}

std::u16string Format(std::u16string_view pattern, std::initializer_list<TFormatArg> args) {
  std::u16string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    const char16_t kind = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
    if (c == u'%' && kind == u'%') {
      out += u'%';
      ++i;
    } else if (c == u'%' && (kind == u's' || kind == u'd') && next != args.end()) {
      const TFormatArg& arg = *next++;
      out += std::holds_alternative<std::u16string>(arg) ? std::get<std::u16string>(arg)
                                                         : NumberText(std::get<std::int64_t>(arg));
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string_view ExtractFileDrive(std::u16string_view path) {
  if (path.size() >= 2 && path[1] == u':') return path.substr(0, 2);
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return {};
  // "\\server\share": up to the separator after the share name.
  std::size_t separators = 0, i = 2;
  for (; i < path.size(); ++i) {
    if (IsSeparator(path[i]) && ++separators == 2) break;
  }
  return separators == 0 ? std::u16string_view{} : path.substr(0, i);
}

std::u16string Slashed(std::u16string_view text, char16_t from, char16_t to) {
  std::u16string out(text);
  std::replace(out.begin(), out.end(), from, to);
  return out;
}

std::u16string_view ExtractFileName(std::u16string_view path) {
  const std::size_t cut = path.find_last_of(u"\\/:");
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

std::u16string_view ExtractFilePath(std::u16string_view path) {
  const std::size_t cut = path.find_last_of(u"\\/:");
  return cut == std::u16string_view::npos ? std::u16string_view{} : path.substr(0, cut + 1);
}

std::u16string_view ExtractFileExt(std::u16string_view path) {
  const std::u16string_view name = ExtractFileName(path);
  const std::size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string_view{} : name.substr(dot);
}

}  // namespace talu::zip

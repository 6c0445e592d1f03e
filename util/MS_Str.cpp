#include "MS_Str.h"

#include <algorithm>

namespace talu {
namespace {

char16_t AsciiUpper(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool SameIgnoringAsciiCase(char16_t a, char16_t b) {
  return AsciiUpper(a) == AsciiUpper(b);
}

}  // namespace

bool IsStrInStr(const std::u16string& Str1, const std::u16string& Str2, int& Str2Pos) {
  if (Str1.empty() || Str2.size() < Str1.size()) return false;
  const auto hit =
      std::search(Str2.begin(), Str2.end(), Str1.begin(), Str1.end(), SameIgnoringAsciiCase);
  if (hit == Str2.end()) return false;
  Str2Pos = static_cast<int>(hit - Str2.begin()) + 1;
  return true;
}

}  // namespace talu

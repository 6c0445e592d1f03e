#include "ZipMatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "ZipStrFunc.h"

namespace talu::zip {
namespace {

bool SameChar(char16_t a, char16_t b, bool ignoreCase) {
  return a == b || (ignoreCase && ZipLowerChar(a) == ZipLowerChar(b));
}

// A pattern tail that matches any rest of the string, consumed or not.
bool MatchesAnyRest(std::u16string_view tail) {
  return tail == u"*" || tail == u"*.*";
}

}  // namespace

// Dynamic programme over pattern suffixes: `next[i]` tells whether str[i..] matches the pattern
// suffix after position j, `cur[i]` the same for the suffix at j. This is the recursive rule set
// (a "*" tries every non-empty rest of the string, a used-up string matches only a used-up
// pattern or a lone "*") evaluated bottom-up, so hostile names cannot make it exponential.
bool ZipIsStrMatchPattern(std::u16string_view str, std::u16string_view pattern, bool ignoreCase) {
  const size_t n = str.size();
  const size_t m = pattern.size();
  std::vector<char> next(n + 1, 0), cur(n + 1, 0);
  next[n] = 1;  // empty pattern against empty rest
  for (size_t j = m; j-- > 0;) {
    const std::u16string_view tail = pattern.substr(j);
    const char16_t p = pattern[j];
    if (MatchesAnyRest(tail)) {
      std::fill(cur.begin(), cur.end(), 1);
    } else {
      cur[n] = 0;
      if (p == u'*') {
        char any = 0;  // OR of next[k] for k in [i, n-1]
        for (size_t i = n; i-- > 0;) {
          any |= next[i];
          cur[i] = any;
        }
      } else {
        for (size_t i = 0; i < n; ++i)
          cur[i] = next[i + 1] && (p == u'?' || SameChar(str[i], p, ignoreCase));
      }
    }
    cur.swap(next);
  }
  return next[0] != 0;
}

namespace {

// The extension of the last path segment, from its last "." on; empty when it has none.
std::u16string_view ExtensionOf(std::u16string_view name) {
  const size_t dot = name.find_last_of(u"./\\:");
  if (dot == std::u16string_view::npos || name[dot] != u'.') return {};
  return name.substr(dot);
}

}  // namespace

bool IsInternalFileMatchMask(std::u16string_view fileName, std::u16string_view mask) {
  if (mask.empty()) return false;
  std::u16string pattern;
  if (const size_t at = mask.find(u"*.*"); at != std::u16string_view::npos)
    pattern.append(mask.substr(0, at + 1)).append(mask.substr(at + 3));
  else
    pattern.assign(mask);
  const bool wantsNoExtension = mask.back() == u'.';
  if (wantsNoExtension) pattern.pop_back();

  std::u16string_view name = fileName;
  if (!name.empty() && name.back() == u'.') name.remove_suffix(1);
  if (!ZipIsStrMatchPattern(name, pattern, true)) return false;
  if (!wantsNoExtension) return true;
  const std::u16string_view ext = ExtensionOf(fileName);
  return ext.empty() || ext == u".";
}

bool CheckAttributesMatch(int32_t fileAttr, int32_t searchAttr) {
  return (fileAttr & ~searchAttr & 0x1E) == 0;
}

}  // namespace talu::zip

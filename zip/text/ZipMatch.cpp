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

// Whether `c` is in the class between the brackets of "[...]".
bool InClass(char16_t c, std::u16string_view members, bool ignoreCase) {
  const bool negated = members[0] == u'!' || members[0] == u'^';
  if (negated) members.remove_prefix(1);
  const auto within = [](char16_t x, char16_t low, char16_t high) { return low <= x && x <= high; };
  bool in = false;
  for (size_t i = 0; i < members.size(); ++i) {
    if (i + 2 < members.size() && members[i + 1] == u'-') {
      in = in || within(c, members[i], members[i + 2]) ||
           (ignoreCase &&
            within(ZipLowerChar(c), ZipLowerChar(members[i]), ZipLowerChar(members[i + 2])));
      i += 2;
    } else {
      in = in || SameChar(c, members[i], ignoreCase);
    }
  }
  return in != negated;
}

// The end of the pattern element at `j`: one character, or with classes a closed "[...]".
size_t ElementEnd(std::u16string_view pattern, size_t j, bool classes) {
  if (!classes || pattern[j] != u'[') return j + 1;
  size_t k = j + 1;
  if (k < pattern.size() && (pattern[k] == u'!' || pattern[k] == u'^')) ++k;
  if (k < pattern.size() && pattern[k] == u']') ++k;
  k = pattern.find(u']', k);
  return k == std::u16string_view::npos ? j + 1 : k + 1;
}

// Whether one character of the string stands against one element that is not "*".
bool Fits(char16_t c, std::u16string_view element, bool ignoreCase) {
  if (element.size() > 1) return InClass(c, element.substr(1, element.size() - 2), ignoreCase);
  return element[0] == u'?' || SameChar(c, element[0], ignoreCase);
}

// A pattern tail that matches any rest of the string, consumed or not.
bool MatchesAnyRest(std::u16string_view tail) {
  return tail == u"*" || tail == u"*.*";
}

}  // namespace

// Dynamic programme over pattern suffixes: `next[i]` tells whether str[i..] matches the pattern
// suffix after the element at j, `cur[i]` the same for the suffix from j. This is the recursive
// rule set (a "*" tries every non-empty rest of the string, a used-up string matches only a used-up
// pattern or a lone "*") evaluated bottom-up, so hostile names cannot make it exponential.
bool ZipIsStrMatchPattern(std::u16string_view str, std::u16string_view pattern, bool ignoreCase,
                          bool classes) {
  const size_t n = str.size();
  std::vector<size_t> starts;  // where each element of the pattern starts
  for (size_t j = 0; j < pattern.size(); j = ElementEnd(pattern, j, classes)) starts.push_back(j);
  std::vector<char> next(n + 1, 0), cur(n + 1, 0);
  next[n] = 1;  // empty pattern against empty rest
  for (size_t e = starts.size(); e-- > 0;) {
    const size_t j = starts[e];
    const size_t end = e + 1 < starts.size() ? starts[e + 1] : pattern.size();
    const std::u16string_view element = pattern.substr(j, end - j);
    if (MatchesAnyRest(pattern.substr(j))) {
      std::fill(cur.begin(), cur.end(), 1);
    } else {
      cur[n] = 0;
      if (element == u"*") {
        char any = 0;  // OR of next[k] for k in [i, n-1]
        for (size_t i = n; i-- > 0;) {
          any |= next[i];
          cur[i] = any;
        }
      } else {
        for (size_t i = 0; i < n; ++i) cur[i] = next[i + 1] && Fits(str[i], element, ignoreCase);
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

bool IsInternalFileMatchMask(std::u16string_view fileName, std::u16string_view mask,
                             TZipMaskRules rules) {
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
  if (!ZipIsStrMatchPattern(name, pattern, !rules.caseSensitive, rules.classes)) return false;
  if (!wantsNoExtension) return true;
  const std::u16string_view ext = ExtensionOf(fileName);
  return ext.empty() || ext == u".";
}

bool CheckAttributesMatch(int32_t fileAttr, int32_t searchAttr) {
  return (fileAttr & ~searchAttr & 0x1E) == 0;
}

}  // namespace talu::zip

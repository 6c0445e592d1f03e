// Matches a name against a mask, both from the input, and compares the engine's answers with a
// small reference matcher: the recursive rules, memoised.
//
// Input: a flag byte (bit 0: ignore case), the mask, a zero byte, the name.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "text/ZipMatch.h"

using namespace talu::zip;

namespace {

class TReferenceMatcher {
 public:
  TReferenceMatcher(std::u16string_view str, std::u16string_view pattern, bool ignoreCase)
      : str_(str),
        pattern_(pattern),
        ignoreCase_(ignoreCase),
        memo_((str.size() + 1) * (pattern.size() + 1), kUnknown) {}

  bool Matches() { return Match(0, 0); }

 private:
  static constexpr char kUnknown = 2;

  bool Same(char16_t a, char16_t b) const {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : int{c}; };
    return ignoreCase_ ? lower(a) == lower(b) : a == b;
  }

  // Whether str[i..] matches pattern[j..].
  bool Match(std::size_t i, std::size_t j) {
    char& known = memo_[i * (pattern_.size() + 1) + j];
    if (known == kUnknown) known = Step(i, j);
    return known != 0;
  }

  bool Step(std::size_t i, std::size_t j) {
    const std::u16string_view rest = pattern_.substr(j);
    if (rest == u"*" || rest == u"*.*") return true;
    if (i == str_.size()) return j == pattern_.size();
    if (j == pattern_.size()) return false;
    if (pattern_[j] == u'*') {  // never tried against an empty rest of the string
      for (std::size_t k = i; k < str_.size(); ++k) {
        if (Match(k, j + 1)) return true;
      }
      return false;
    }
    return (pattern_[j] == u'?' || Same(str_[i], pattern_[j])) && Match(i + 1, j + 1);
  }

  std::u16string_view str_, pattern_;
  bool ignoreCase_;
  std::vector<char> memo_;
};

bool ReferencePattern(std::u16string_view str, std::u16string_view pattern, bool ignoreCase) {
  return TReferenceMatcher(str, pattern, ignoreCase).Matches();
}

bool EndsWithDot(std::u16string_view text) {
  return !text.empty() && text.back() == u'.';
}

bool ReferenceMask(std::u16string_view name, std::u16string_view mask) {
  if (mask.empty()) return false;
  std::u16string pattern(mask);
  if (const std::size_t at = pattern.find(u"*.*"); at != std::u16string::npos) {
    pattern.replace(at, 3, u"*");
  }
  if (EndsWithDot(mask)) pattern.pop_back();
  const std::u16string_view subject = EndsWithDot(name) ? name.substr(0, name.size() - 1) : name;
  if (!ReferencePattern(subject, pattern, true)) return false;
  if (!EndsWithDot(mask)) return true;
  // The extension of the last path segment, from its last "." on.
  const std::size_t dot = name.rfind(u'.');
  const bool hasExtension = dot != std::u16string_view::npos &&
                            name.find_first_of(u"/\\:", dot) == std::u16string_view::npos;
  return !hasExtension || name.substr(dot) == u".";
}

std::u16string Widen(std::string_view bytes) {  // as Latin-1
  std::u16string text;
  for (unsigned char b : bytes) text += static_cast<char16_t>(b);
  return text;
}

void Compare(bool engine, bool reference, const char* what) {
  if (engine == reference) return;
  fprintf(stderr, "%s: engine %d, reference %d\n", what, engine, reference);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 1024) return 0;  // the reference is cubic in the worst case
  const bool ignoreCase = data[0] & 1;
  const std::string_view input = fuzz::AsChars(data + 1, size - 1);
  const std::size_t split = std::min(input.find('\0'), input.size());
  const std::u16string mask = Widen(input.substr(0, split));
  const std::u16string name = Widen(input.substr(std::min(split + 1, input.size())));

  Compare(ZipIsStrMatchPattern(name, mask, ignoreCase), ReferencePattern(name, mask, ignoreCase),
          "pattern");
  Compare(IsInternalFileMatchMask(name, mask), ReferenceMask(name, mask), "mask");
  return 0;
}

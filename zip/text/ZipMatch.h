// Name matching for item selection: wildcard masks and attribute sets.
//
// Masks use "*" (any run of characters, folder separators included) and "?" (any one
// character); letters A to Z match without regard to case, other characters exactly. Rules a
// caller may choose: case counts, and "[...]" is a class of characters ("[abc]", "[a-c]", "[!a-c]"
// or "[^a-c]"; a "]" first is a member), else "[" is a plain character.
#pragma once

#include <cstdint>
#include <string_view>

namespace talu::zip {

struct TZipMaskRules {
  bool caseSensitive = false;
  bool classes = false;
};

// Wildcard match of a whole string. A "*" that is not the pattern's last character needs at
// least one character of `str` left to stand against, so "ab**" does not match "ab"; the pattern
// "*.*" matches everything. Runs in O(|str| * |pattern|) whatever the input.
bool ZipIsStrMatchPattern(std::u16string_view str, std::u16string_view pattern, bool ignoreCase,
                          bool classes = false);

// Mask test of one item name: an empty mask matches nothing, "*.*" stands for "*", and a mask
// ending in "." selects only names without an extension.
bool IsInternalFileMatchMask(std::u16string_view fileName, std::u16string_view mask,
                             TZipMaskRules rules = {});

// True when the item's hidden, system, volume and folder bits are all allowed by `searchAttr`.
bool CheckAttributesMatch(int32_t fileAttr, int32_t searchAttr);

}  // namespace talu::zip

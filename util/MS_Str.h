// String tests of the utility layer.
#pragma once

#include <string>

namespace talu {

// True when `Str1` occurs in `Str2`, the letters a-z and A-Z compared without regard to case
// (no other character is folded). `Str2Pos` then holds the 1-based position of the first
// occurrence; it is left untouched when there is none, or when either text is empty.
bool IsStrInStr(const std::u16string& Str1, const std::u16string& Str2, int& Str2Pos);

}  // namespace talu

// Picks a font face that has a glyph for every character of a text, so that Greek,
// Vietnamese, Cyrillic and Japanese lines show letters instead of empty boxes. Windows and
// Wine install different fonts, so the faces are tried from a list of likely ones.
#pragma once

#include <string>
#include <string_view>

namespace talu::demo {

// True when `face` is installed (not replaced by another face) and covers all of `text`.
bool FaceCovers(const std::u16string& face, std::u16string_view text);

// The first face of the list that covers `text`; the first face of the list if none does.
std::u16string FaceFor(std::u16string_view text);

}  // namespace talu::demo

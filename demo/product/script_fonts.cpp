#include "script_fonts.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <vector>

#include "gui/font.h"
#include "gui/text.h"

namespace talu::demo {
namespace {

// Windows' own faces first, then faces that Linux font packages bring into Wine; for each
// script a face that has Latin letters too, since the lines mix them in ("TaluDemoへようこそ").
constexpr std::array<std::u16string_view, 10> kFaces = {
    u"Tahoma",       u"Segoe UI",     u"Liberation Sans", u"DejaVu Sans",      u"Meiryo UI",
    u"Yu Gothic UI", u"MS UI Gothic", u"VL PGothic",      u"Noto Sans CJK JP", u"IPAPGothic",
};

constexpr int kProbeHeight = 16;

// A memory device context with one font selected, released on scope exit.
class FontProbe {
 public:
  explicit FontProbe(const std::u16string& face)
      : font_({face, kProbeHeight}), dc_(CreateCompatibleDC(nullptr)) {
    previous_ = SelectObject(dc_, font_.Handle());
  }
  ~FontProbe() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  FontProbe(const FontProbe&) = delete;
  FontProbe& operator=(const FontProbe&) = delete;

  std::u16string SelectedFace() const {
    std::array<wchar_t, LF_FACESIZE> name{};
    GetTextFaceW(dc_, static_cast<int>(name.size()), name.data());
    return gui::FromWide(name.data());
  }

  bool HasGlyphs(std::u16string_view text) const {
    std::vector<WORD> glyphs(text.size());
    const std::u16string copy(text);
    const DWORD done = GetGlyphIndicesW(dc_, gui::Wide(copy), static_cast<int>(copy.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    return done == copy.size() &&
           std::none_of(glyphs.begin(), glyphs.end(), [](WORD g) { return g == 0xFFFF; });
  }

 private:
  gui::Font font_;
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace

bool FaceCovers(const std::u16string& face, std::u16string_view text) {
  const FontProbe probe(face);
  return lstrcmpiW(gui::Wide(probe.SelectedFace()), gui::Wide(face)) == 0 && probe.HasGlyphs(text);
}

std::u16string FaceFor(std::u16string_view text) {
  for (std::u16string_view face : kFaces) {
    if (FaceCovers(std::u16string(face), text)) return std::u16string(face);
  }
  return std::u16string(kFaces.front());
}

}  // namespace talu::demo

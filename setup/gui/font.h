// Fonts by name and pixel height, text measuring and dialog units.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

struct FontSpec {
  std::u16string name;
  int pixelHeight = 0;  // character height in pixels, without the internal leading
  bool bold = false;
  bool underline = false;
};

// The system's message font: the font of controls whose font is not given.
FontSpec DefaultGuiFont();

// One GDI font, owned.
class Font {
 public:
  explicit Font(const FontSpec& params);
  ~Font() { DeleteObject(handle_); }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  HFONT Handle() const { return handle_; }
  const FontSpec& Params() const { return params_; }

 private:
  FontSpec params_;
  HFONT handle_;
};

// False when the bold font `bold` draws text no heavier than the regular weight of its face
// and size: some platforms' bold faces come with the regular strokes at small sizes.
bool DrawsBolderThanRegular(const FontSpec& bold);

// The size of `text` drawn in `font`: on one line when `wrapWidth` is 0, else broken into
// lines at word boundaries to fit `wrapWidth` pixels. Line breaks in the text are kept.
SIZE MeasureText(HFONT font, const std::u16string& text, int wrapWidth = 0);

// Dialog units of a font: a horizontal unit is a quarter of the average width of the letters
// A-Z and a-z, a vertical unit an eighth of the character height.
class DialogUnits {
 public:
  explicit DialogUnits(HFONT font);
  int X(int units) const { return MulDiv(units, averageWidth_, 4); }
  int Y(int units) const { return MulDiv(units, height_, 8); }

 private:
  int averageWidth_ = 0;
  int height_ = 0;
};

}  // namespace gui

#include "gui/font.h"

#include "gui/text.h"

namespace gui {
namespace {

// A screen device context with `font` selected, released on scope exit.
class ScreenDc {
 public:
  explicit ScreenDc(HFONT font) : dc_(GetDC(nullptr)), old_(SelectObject(dc_, font)) {}
  ~ScreenDc() {
    SelectObject(dc_, old_);
    ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The pixels that `text` in `font` covers, drawn black on white in a monochrome bitmap.
int InkOf(const Font& font, const wchar_t* text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, font.Handle());
  SIZE size{};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
  HBITMAP bitmap = CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, size.cx, size.cy, WHITENESS);
  TextOutW(dc, 0, 0, text, lstrlenW(text));
  int ink = 0;
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) ink += GetPixel(dc, x, y) == RGB(0, 0, 0) ? 1 : 0;
  }
  SelectObject(dc, oldBitmap);
  SelectObject(dc, oldFont);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return ink;
}

}  // namespace

bool DrawsBolderThanRegular(const FontSpec& bold) {
  static constexpr wchar_t kStems[] = L"lllIIInnn";
  FontSpec regular = bold;
  regular.bold = false;
  // Bold strokes are about twice as wide; a quarter more ink tells them apart.
  return InkOf(Font(bold), kStems) * 4 > InkOf(Font(regular), kStems) * 5;
}

FontSpec DefaultGuiFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return {u"Tahoma", 11};
  }
  const LOGFONTW& font = metrics.lfMessageFont;
  return {FromWide(font.lfFaceName), font.lfHeight < 0 ? -font.lfHeight : font.lfHeight};
}

Font::Font(const FontSpec& params) : params_(params) {
  LOGFONTW font{};
  font.lfHeight = -params.pixelHeight;
  font.lfWeight = params.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = params.underline;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  params.name.copy(reinterpret_cast<char16_t*>(font.lfFaceName), LF_FACESIZE - 1);
  handle_ = CreateFontIndirectW(&font);
}

SIZE MeasureText(HFONT font, const std::u16string& text, int wrapWidth) {
  ScreenDc dc(font);
  RECT rect{0, 0, wrapWidth, 0};
  UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
  if (wrapWidth > 0) format |= DT_WORDBREAK;
  // An empty text still takes the height of one line.
  DrawTextW(dc.Get(), text.empty() ? L" " : Wide(text), -1, &rect, format);
  return {text.empty() ? 0 : rect.right - rect.left, rect.bottom - rect.top};
}

DialogUnits::DialogUnits(HFONT font) {
  static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  ScreenDc dc(font);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), kLetters, 52, &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get(), &metrics);
  averageWidth_ = size.cx / 52;
  height_ = metrics.tmHeight;
}

}  // namespace gui

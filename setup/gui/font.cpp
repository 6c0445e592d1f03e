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

}  // namespace

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

#include "gui/label.h"

#include "gui/container.h"
#include "gui/form.h"
#include "gui/text.h"

namespace gui {
namespace {

// Static text, shown as given ('&' is no access key); clicks are reported.
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX | SS_NOTIFY;

}  // namespace

Label::Label(Container& parent, int left, int top, const std::u16string& caption)
    : Control(parent, L"Static", kLabelStyle | SS_LEFTNOWORDWRAP, {left, top, 0, 0}, caption),
      wordWrap_(false) {
  Fit();
}

Label::Label(Container& parent, const Bounds& bounds, const std::u16string& caption)
    : Control(parent, L"Static", kLabelStyle, bounds, caption), wordWrap_(true) {
  Fit();
}

void Label::SetCaption(const std::u16string& text) {
  Window::SetCaption(text);
  Fit();
}

void Label::SetFont(const FontSpec& params) {
  Window::SetFont(params);
  SetOverstruck(params.bold && !DrawsBolderThanRegular(params));
  Fit();
}

void Label::SetOverstruck(bool overstruck) {
  overstruck_ = overstruck;
  const LONG type = overstruck ? SS_OWNERDRAW : (wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP);
  SetWindowLongW(Handle(), GWL_STYLE, (Style() & ~SS_TYPEMASK) | type);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::OnDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, OnColor(dc));
  if (!Enabled()) ::SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old = SelectObject(dc, FontHandle());
  const UINT format = DT_NOPREFIX | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE);
  RECT place = item.rcItem;
  const std::u16string text = Caption();
  DrawTextW(dc, Wide(text), -1, &place, format);
  OffsetRect(&place, 1, 0);
  DrawTextW(dc, Wide(text), -1, &place, format);
  SelectObject(dc, old);
}

void Label::Click() {
  PressAsUser(STN_CLICKED);
}

void Label::OnCommand(WORD code) {
  if (code == STN_CLICKED && onClick_) OwnerForm().Dispatch(onClick_);
}

HBRUSH Label::OnColor(HDC dc) {
  ::SetTextColor(dc, color_ != CLR_INVALID ? color_ : GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(Parent().BackgroundColor()));
  return Parent().BackgroundBrush();
}

void Label::Fit() {
  const Bounds old = GetBounds();
  SIZE size = MeasureText(FontHandle(), Caption(), wordWrap_ ? old.width : 0);
  if (overstruck_) ++size.cx;  // the second stroke
  // What the old, larger size covered must be redrawn by the parent.
  const RECT oldArea{old.left, old.top, old.left + old.width, old.top + old.height};
  InvalidateRect(Parent().Handle(), &oldArea, TRUE);
  SetBounds({old.left, old.top, wordWrap_ ? old.width : size.cx, size.cy});
}

}  // namespace gui

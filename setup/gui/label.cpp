#include "gui/label.h"

#include "gui/container.h"
#include "gui/form.h"

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
  Fit();
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
  const SIZE size = MeasureText(FontHandle(), Caption(), wordWrap_ ? old.width : 0);
  // What the old, larger size covered must be redrawn by the parent.
  const RECT oldArea{old.left, old.top, old.left + old.width, old.top + old.height};
  InvalidateRect(Parent().Handle(), &oldArea, TRUE);
  SetBounds({old.left, old.top, wordWrap_ ? old.width : size.cx, size.cy});
}

}  // namespace gui

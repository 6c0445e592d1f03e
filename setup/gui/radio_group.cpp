#include "gui/radio_group.h"

#include "gui/common_controls.h"
#include "gui/text.h"

namespace gui {

RadioGroup::RadioGroup(Container& parent, const Bounds& bounds, const std::u16string& caption,
                       const std::vector<std::u16string>& items, int columns)
    : Container(parent, bounds, 0, COLOR_BTNFACE, caption) {
  frame_ = CreatePart(BS_GROUPBOX, caption, {0, 0, bounds.width, bounds.height});
  ArrangeItems(items, columns);
  SetItemIndex(-1);
}

RadioGroup::~RadioGroup() {
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
}

HWND RadioGroup::CreatePart(DWORD style, const std::u16string& text, const Bounds& bounds) {
  HWND part = CreateWindowExW(0, L"Button", Wide(text), WS_CHILD | WS_VISIBLE | style, bounds.left,
                              bounds.top, bounds.width, bounds.height, Handle(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextChildId())),
                              GetModuleHandleW(nullptr), nullptr);
  SendMessageW(part, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
  return part;
}

// Items fill the columns top to bottom, then left to right, in equal cells below the caption.
void RadioGroup::ArrangeItems(const std::vector<std::u16string>& items, int columns) {
  if (items.empty()) return;
  const Bounds bounds = GetBounds();
  const int count = static_cast<int>(items.size());
  const int rows = (count + columns - 1) / columns;
  const int captionHeight = MeasureText(FontHandle(), u"X").cy;
  const int usable = bounds.height - captionHeight - 5;
  const int cellHeight = usable / rows;
  const int top = captionHeight + 1 + (usable % rows) / 2;
  const int cellWidth = (bounds.width - 10) / columns;
  for (int i = 0; i < count; ++i) {
    const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
    items_.push_back(CreatePart(
        style, items[static_cast<size_t>(i)],
        {8 + (i / rows) * cellWidth, top + (i % rows) * cellHeight, cellWidth, cellHeight}));
  }
}

int RadioGroup::ItemIndex() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SendMessageW(items_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  for (size_t i = 0; i < items_.size(); ++i) {
    SendMessageW(items_[i], BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED,
                 0);
  }
  MoveTabStopToSelection();
}

void RadioGroup::MoveTabStopToSelection() {
  const int selected = ItemIndex() >= 0 ? ItemIndex() : 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    LONG style = GetWindowLongW(items_[i], GWL_STYLE) & ~WS_TABSTOP;
    if (static_cast<int>(i) == selected) style |= WS_TABSTOP;
    SetWindowLongW(items_[i], GWL_STYLE, style);
  }
}

void RadioGroup::SetCaption(const std::u16string& text) {
  Window::SetCaption(text);
  SetWindowTextW(frame_, Wide(text));
}

void RadioGroup::SetEnabled(bool enabled) {
  Window::SetEnabled(enabled);
  EnableWindow(frame_, enabled);
  for (HWND item : items_) EnableWindow(item, enabled);
}

void RadioGroup::SetHint(const std::u16string& hint) {
  hint_ = hint;
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, Handle(), nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 1000);  // allows the line breaks of the hint
  std::vector<HWND> parts{Handle(), frame_};
  parts.insert(parts.end(), items_.begin(), items_.end());
  for (HWND part : parts) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(part);
    tool.lpszText = const_cast<wchar_t*>(Wide(hint_));
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

LRESULT RadioGroup::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) MoveTabStopToSelection();
  return Container::WindowProc(message, wParam, lParam);
}

}  // namespace gui

// A one-line edit box with a sunken frame.
#pragma once

#include "gui/window.h"

namespace gui {

class Edit : public Control {
 public:
  static constexpr int kDefaultHeight = 21;

  // A height of 0 gives the standard height.
  Edit(Container& parent, const Bounds& bounds, const std::u16string& text)
      : Control(parent, L"Edit", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WithHeight(bounds), text,
                WS_EX_CLIENTEDGE) {}

  std::u16string Text() const { return Caption(); }
  void SetText(const std::u16string& text) { SetCaption(text); }
  // Shows `mask` for every character (0: the text itself).
  void SetPasswordChar(wchar_t mask) { SendMessageW(Handle(), EM_SETPASSWORDCHAR, mask, 0); }
  wchar_t PasswordChar() const {
    return static_cast<wchar_t>(SendMessageW(Handle(), EM_GETPASSWORDCHAR, 0, 0));
  }
  void SetMaxLength(int characters) { SendMessageW(Handle(), EM_LIMITTEXT, characters, 0); }
  int MaxLength() const { return static_cast<int>(SendMessageW(Handle(), EM_GETLIMITTEXT, 0, 0)); }
  void SelectAll() { SendMessageW(Handle(), EM_SETSEL, 0, -1); }

 private:
  static Bounds WithHeight(Bounds bounds) {
    if (bounds.height == 0) bounds.height = kDefaultHeight;
    return bounds;
  }
};

}  // namespace gui

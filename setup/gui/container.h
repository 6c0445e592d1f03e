// A window of our own class that holds controls: the base of forms, panels and radio groups.
// It routes the notifications of its children (commands, colours, owner drawing, cursor) to
// the child objects and paints its background in a system colour.
#pragma once

#include "gui/window.h"

namespace gui {

class Container : public Window {
 public:
  // A control id unique among this container's children.
  int NextChildId() { return nextChildId_++; }
  int BackgroundColor() const { return backgroundColor_; }  // a system colour index
  HBRUSH BackgroundBrush() const { return GetSysColorBrush(backgroundColor_); }

 protected:
  struct Creation {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    Bounds bounds;
    HWND parent;
    int id;
    std::u16string caption;
  };

  explicit Container(int backgroundColor) : backgroundColor_(backgroundColor) {}
  // A child container ("TaluPanel") inside `parent`, sharing its font.
  Container(Container& parent, const Bounds& bounds, DWORD exStyle, int backgroundColor,
            const std::u16string& caption = u"");

  void Create(const Creation& creation, Form* form, std::shared_ptr<const Font> font);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void RegisterClassOnce(const wchar_t* className);

  int backgroundColor_;
  int nextChildId_ = 100;
};

}  // namespace gui

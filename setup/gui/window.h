// The common part of forms and controls: one Win32 window owned by one C++ object.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "gui/font.h"

namespace gui {

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

class Container;
class Form;

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // The object behind a window of ours, or nullptr (foreign windows, raw parts of a control).
  static Window* FromHandle(HWND window);

  HWND Handle() const { return handle_; }
  Form& OwnerForm() const { return *form_; }
  HFONT FontHandle() const { return font_->Handle(); }
  const FontSpec& GetFont() const { return font_->Params(); }
  const std::shared_ptr<const Font>& SharedFont() const { return font_; }

  std::u16string Caption() const;
  virtual void SetCaption(const std::u16string& text);
  bool Enabled() const { return IsWindowEnabled(handle_) != FALSE; }
  virtual void SetEnabled(bool enabled) { EnableWindow(handle_, enabled); }
  // The window's own visibility; a control of a hidden form still counts as visible.
  bool Visible() const { return (Style() & WS_VISIBLE) != 0; }
  void SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE); }
  // Place in the parent's client area (top-level windows: on the screen).
  Bounds GetBounds() const;
  void SetBounds(const Bounds& bounds);
  virtual void SetFont(const FontSpec& params);
  // Draws the window now instead of at the next idle moment.
  void Repaint() const {
    RedrawWindow(handle_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  LONG Style() const { return GetWindowLongW(handle_, GWL_STYLE); }

  // Notifications that the parent container routes to the child they concern.
  virtual void OnCommand(WORD /*code*/) {}
  // WM_CTLCOLOR*: sets up `dc` and returns the background brush, or nullptr for the default.
  virtual HBRUSH OnColor(HDC /*dc*/) { return nullptr; }
  virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}
  // The mouse cursor over the window, or nullptr for the class cursor.
  HCURSOR Cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

 protected:
  Window() = default;
  // Takes ownership of `handle`; the font is shared with the parent unless set later.
  void Attach(HWND handle, Form* form, std::shared_ptr<const Font> font);

 private:
  HWND handle_ = nullptr;
  Form* form_ = nullptr;
  std::shared_ptr<const Font> font_;
  HCURSOR cursor_ = nullptr;
};

// A child window of a standard class ("Button", "Static", "Edit", ...) inside a container.
class Control : public Window {
 protected:
  Control(Container& parent, const wchar_t* className, DWORD style, const Bounds& bounds,
          const std::u16string& caption, DWORD exStyle = 0);
  Container& Parent() const { return parent_; }
  // Sends the parent the notification a click of the user would, along the same route; nothing
  // happens while the control is disabled or hidden.
  void PressAsUser(WORD notification) const;

 private:
  Container& parent_;
};

}  // namespace gui

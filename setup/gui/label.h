// A text label. Without a size it fits its text on one line and refits when the text or the
// font changes; with a width it breaks its text into lines of that width.
#pragma once

#include <functional>

#include "gui/window.h"

namespace gui {

class Label : public Control {
 public:
  // An autosized label at (left, top).
  Label(Container& parent, int left, int top, const std::u16string& caption);
  // A word-wrapped label of a fixed width whose height fits the text.
  Label(Container& parent, const Bounds& bounds, const std::u16string& caption);

  void SetCaption(const std::u16string& text) override;
  void SetFont(const FontSpec& params) override;
  // CLR_INVALID: the system's window text colour.
  void SetTextColor(COLORREF color) { color_ = color; }
  COLORREF TextColor() const { return color_; }
  void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  // Runs the click handler as a click on the label would.
  void Click();

  void OnCommand(WORD code) override;
  HBRUSH OnColor(HDC dc) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  void Fit();
  // Draws the label itself, its text a second time one pixel to the right: the way bold type
  // is simulated for a face whose bold strokes are no heavier than its regular ones.
  void SetOverstruck(bool overstruck);

  bool wordWrap_;
  bool overstruck_ = false;
  COLORREF color_ = CLR_INVALID;
  std::function<void()> onClick_;
};

}  // namespace gui

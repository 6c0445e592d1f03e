// A push button.
#pragma once

#include <functional>

#include "gui/window.h"

namespace gui {

class Button : public Control {
 public:
  Button(Container& parent, const Bounds& bounds, const std::u16string& caption);

  void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  // Pressing the button ends the modal run of its form with this result (after the handler).
  void SetModalResult(int result) { modalResult_ = result; }
  // Presses the button as the user would: nothing happens while it is disabled or hidden.
  void Click();
  // The thick frame of the button that Enter presses (Form::SetDefaultButton).
  void SetDefaultLook(bool isDefault);

  void OnCommand(WORD code) override;

 private:
  std::function<void()> onClick_;
  int modalResult_ = 0;
};

}  // namespace gui

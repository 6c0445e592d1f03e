#include "gui/button.h"

#include "gui/container.h"
#include "gui/form.h"

namespace gui {

Button::Button(Container& parent, const Bounds& bounds, const std::u16string& caption)
    : Control(parent, L"Button", WS_TABSTOP | BS_PUSHBUTTON, bounds, caption) {}

void Button::Click() {
  PressAsUser(BN_CLICKED);
}

void Button::SetDefaultLook(bool isDefault) {
  SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  Form& form = OwnerForm();
  form.Dispatch([&] {
    if (onClick_) onClick_();
    if (modalResult_ != 0) form.SetModalResult(modalResult_);
  });
}

}  // namespace gui

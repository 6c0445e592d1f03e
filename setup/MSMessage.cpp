#include "MSMessage.h"

namespace talu::setup {
namespace {

gui::FormOptions MessageOptions() {
  gui::FormOptions options;
  options.caption = u"Грешка";
  options.clientWidth = 275;
  options.clientHeight = 139;
  options.border = gui::BorderStyle::Dialog;
  options.placement = gui::Placement::Default;
  options.font = {u"MS Sans Serif", 11};
  options.topMost = true;
  return options;
}

void ShowIcon(gui::Picture& picture, const wchar_t* icon, bool transparent) {
  picture.SetIcon(LoadIconW(nullptr, icon));
  picture.SetStretch(!transparent);
  picture.SetTransparent(transparent);
}

}  // namespace

TFormMess::TFormMess() : Form(MessageOptions()) {
  ShowIcon(ImageQuery, IDI_QUESTION, false);
  ShowIcon(ImageInfo, IDI_INFORMATION, false);
  ShowIcon(ImageError, IDI_ERROR, false);
  ShowIcon(ImageAttention, IDI_WARNING, true);
  ButtonOk.SetOnClick([this] { ButtonOkClick(); });
  ButtonNo.SetOnClick([this] { ButtonNoClick(); });
  ButtonCancel.SetOnClick([this] { ButtonCancelClick(); });
  SetTabOrder({&ButtonOk, &ButtonNo, &ButtonCancel});
  SetOnActivate([this] { FormActivate(); });
}

void TFormMess::FormActivate() {
  gui::Bounds bounds = BGMess.GetBounds();
  bounds.width = kMessageWidth;
  BGMess.SetBounds(bounds);
}

}  // namespace talu::setup

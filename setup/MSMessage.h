// The message dialog FormMess: a small window with Bulgarian captions, four icons, a message
// and three answer buttons. The setup program creates it hidden at start and never shows it.
#pragma once

#include "gui/bevel.h"
#include "gui/button.h"
#include "gui/form.h"
#include "gui/label.h"
#include "gui/picture.h"

namespace talu::setup {

class TFormMess : public gui::Form {
 public:
  // The results of ShowModal for the three buttons.
  static constexpr int kResultYes = 1;
  static constexpr int kResultNo = 2;
  static constexpr int kResultCancel = 3;

  TFormMess();

  void ButtonOkClick() { SetModalResult(kResultYes); }
  void ButtonNoClick() { SetModalResult(kResultNo); }
  void ButtonCancelClick() { SetModalResult(kResultCancel); }
  // Each activation gives the message its design width again.
  void FormActivate();

  // Drawn in this order: the attention icon lies on top.
  gui::Picture ImageQuery{*this, {16, 8, 32, 32}};
  gui::Picture ImageInfo{*this, {16, 8, 32, 32}};
  gui::Picture ImageError{*this, {16, 8, 32, 32}};
  gui::Picture ImageAttention{*this, {16, 8, 32, 32}};
  gui::Label BGMess{*this, {64, 8, 195, 13}, u"Съобщение   Съобщение   Съобщение"};
  gui::Bevel Bevel{*this, {8, 88, 257, 9}};
  gui::Button ButtonOk{*this, {24, 104, 65, 25}, u"&Да"};
  gui::Button ButtonNo{*this, {104, 104, 65, 25}, u"&Не"};
  gui::Button ButtonCancel{*this, {184, 104, 65, 25}, u"&Откажи"};

 private:
  static constexpr int kMessageWidth = 195;
};

}  // namespace talu::setup

#include "gui/password_box.h"

#include "gui/button.h"
#include "gui/dialog_options.h"
#include "gui/edit.h"
#include "gui/label.h"

namespace gui {

std::optional<std::u16string> ShowPasswordBox(const std::u16string& caption,
                                              const std::u16string& prompt) {
  const Font font(DefaultGuiFont());
  const DialogUnits du(font.Handle());
  Form form(DialogOptions(caption, du.X(180), du.Y(63)));
  Label label(form, du.X(8), du.Y(8), prompt);
  Edit password(form, {du.X(8), du.Y(19), du.X(164), du.Y(12)}, u"");
  password.SetPasswordChar(L'*');
  password.SetMaxLength(255);
  password.SelectAll();
  Button ok(form, {du.X(38), du.Y(41), du.X(50), du.Y(14)}, u"OK");
  ok.SetModalResult(IDOK);
  Button cancel(form, {du.X(92), du.Y(41), du.X(50), du.Y(14)}, u"Cancel");
  cancel.SetModalResult(IDCANCEL);
  form.SetDefaultButton(ok);
  form.SetCancelButton(cancel);
  form.SetActiveControl(password);
  if (form.ShowModal() != IDOK) return std::nullopt;
  return password.Text();
}

}  // namespace gui

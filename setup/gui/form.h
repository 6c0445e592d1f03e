// A top-level window holding controls: the setup window and the dialogs.
//
//   Form form({.caption = u"Demo", .clientWidth = 300, .clientHeight = 200});
//   Button ok(form, {8, 8, 75, 25}, u"OK");
//   ok.SetOnClick([&] { form.Close(); });
//   Run(form);
//
// A form is created hidden. Click handlers run through Dispatch, which turns an exception into
// an error box and defers a close requested meanwhile until the outermost handler returns.
#pragma once

#include <functional>
#include <initializer_list>

#include "gui/container.h"

namespace gui {

class Button;

enum class BorderStyle {
  Single,  // fixed size; system menu and minimise button
  Dialog,  // fixed size; system menu only, dialog frame
};

enum class Placement { Default, ScreenCenter };

struct FormOptions {
  std::u16string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  BorderStyle border = BorderStyle::Single;
  Placement placement = Placement::ScreenCenter;
  FontSpec font = DefaultGuiFont();
  bool topMost = false;
  HWND owner = nullptr;  // a dialog's owner: stays below it and has no taskbar button of its own
};

class Form : public Container {
 public:
  // ShowModal's result when the form was closed without a button that sets a modal result.
  static constexpr int kModalClosed = -1;

  explicit Form(const FormOptions& options);

  void Show();
  void Hide() { ShowWindow(Handle(), SW_HIDE); }
  // Closes the form: ends a modal run, else destroys the window (which ends Run for the main
  // form). Asked from inside a handler, it happens when the outermost handler returns.
  void Close();
  bool Closed() const { return closed_; }
  // Shows the form and serves the queue, other forms of the thread disabled, until a button
  // with a modal result is pressed or the form is closed; then hides the form.
  int ShowModal();
  void SetModalResult(int result) { modalResult_ = result; }

  // Orders the tab stops (and the drawing order) of direct children.
  void SetTabOrder(std::initializer_list<const Window*> controls);
  // The button that Enter presses, and the one that Escape presses.
  void SetDefaultButton(Button& button);
  void SetCancelButton(Button& button) { cancelButton_ = &button; }
  // The control that gets the focus when the form is next activated.
  void SetActiveControl(const Window& control);
  void SetOnActivate(std::function<void()> handler) { onActivate_ = std::move(handler); }
  // Closing this form posts the quit message (Run uses it for the main form).
  void SetQuitOnClose() { quitOnClose_ = true; }

  // Runs an event handler of this form.
  void Dispatch(const std::function<void()>& handler);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnActivate(bool active);
  void OnDialogCommand(int id);

  int busy_ = 0;
  bool closeRequested_ = false;
  bool closed_ = false;
  bool modal_ = false;
  bool quitOnClose_ = false;
  int modalResult_ = 0;
  Button* defaultButton_ = nullptr;
  Button* cancelButton_ = nullptr;
  HWND lastFocus_ = nullptr;
  std::function<void()> onActivate_;
};

}  // namespace gui

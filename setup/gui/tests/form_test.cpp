// Forms: frame and placement, showing and closing (also from inside a handler), modal runs,
// Enter and Escape, exceptions of handlers, and the message loop.
#include "gui/form.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "gui/application.h"
#include "gui/button.h"
#include "gui/edit.h"
#include "gui/scripted_dialogs.h"
#include "gui/tests/window_probe.h"

namespace gui {
namespace {

FormOptions Options(BorderStyle border = BorderStyle::Single) {
  FormOptions options;
  options.caption = u"Form";
  options.clientWidth = 565;
  options.clientHeight = 396;
  options.border = border;
  options.font = {u"Tahoma", 11};
  return options;
}

TEST(Form, SingleBorderHasTheClientSizeAndOnlyTheMinimiseButtonAndIsCentred) {
  Form form(Options());
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 565);
  EXPECT_EQ(client.bottom, 396);
  EXPECT_TRUE(form.Style() & WS_MINIMIZEBOX);
  EXPECT_FALSE(form.Style() & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(form.Caption(), u"Form");
  const Bounds frame = form.GetBounds();
  EXPECT_NEAR(frame.left + frame.width / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR(frame.top + frame.height / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(form.GetFont().name, u"Tahoma");
}

TEST(Form, DialogBorderStaysOnTopWhenAsked) {
  FormOptions options = Options(BorderStyle::Dialog);
  options.topMost = true;
  options.clientWidth = 275;
  options.clientHeight = 139;
  Form dialog(options);
  RECT client{};
  GetClientRect(dialog.Handle(), &client);
  EXPECT_EQ(client.right, 275);
  EXPECT_EQ(client.bottom, 139);
  const LONG exStyle = GetWindowLongW(dialog.Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_FALSE(dialog.Style() & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(Form, IsCreatedHiddenAndShowsWhenAsked) {
  Form form(Options());
  int activations = 0;
  form.SetOnActivate([&] { ++activations; });
  EXPECT_FALSE(form.Visible());
  form.Show();
  ProcessMessages();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(activations, 1);
  form.Hide();
  EXPECT_FALSE(form.Visible());
}

TEST(Form, CloseFromAHandlerWaitsUntilTheHandlerReturns) {
  Form form(Options());
  Button exit(form, {280, 363, 122, 25}, u"Exit");
  bool aliveAfterClose = false;
  bool aliveAfterCloseBox = false;
  exit.SetOnClick([&] {
    form.Close();
    aliveAfterClose = IsWindow(form.Handle()) && !form.Closed();
    // The close box pressed while a run serves the queue.
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    ProcessMessages();
    aliveAfterCloseBox = IsWindow(form.Handle()) && !form.Closed();
  });
  exit.Click();
  EXPECT_TRUE(aliveAfterClose);
  EXPECT_TRUE(aliveAfterCloseBox);
  EXPECT_TRUE(form.Closed());
  EXPECT_FALSE(IsWindow(form.Handle()));
}

TEST(Form, ExceptionOfAHandlerIsShownAsAnErrorAndTheFormLivesOn) {
  ScriptedDialogs dialogs;
  ScopedDialogs scope(dialogs);
  Form form(Options());
  Button install(form, {280, 363, 122, 25}, u"Install");
  install.SetOnClick([&] {
    form.Close();  // deferred, then carried out although the handler fails
    throw std::runtime_error("Archive is corrupted");
  });
  Button other(form, {0, 0, 10, 10}, u"Other");
  other.SetOnClick([] { throw 42; });

  other.Click();
  install.Click();
  ASSERT_EQ(dialogs.Questions().size(), 2u);
  EXPECT_EQ(dialogs.Questions()[0].text, u"Unexpected error.");
  EXPECT_EQ(dialogs.Questions()[1].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.Questions()[1].text, u"Archive is corrupted");
  EXPECT_EQ(dialogs.Questions()[1].buttons, Buttons{Answer::OK});
  EXPECT_TRUE(form.Closed());
}

// A dialog like the hidden message dialog: three buttons with modal results 1, 2 and 3.
struct ThreeButtonDialog {
  ThreeButtonDialog() {
    yes.SetModalResult(1);
    no.SetModalResult(2);
    cancel.SetModalResult(3);
  }
  static FormOptions DialogOptions() {
    FormOptions options = Options(BorderStyle::Dialog);
    options.clientWidth = 275;
    options.clientHeight = 139;
    return options;
  }
  Form form{DialogOptions()};
  Button yes{form, {24, 104, 65, 25}, u"&\u0414\u0430"};
  Button no{form, {104, 104, 65, 25}, u"&\u041d\u0435"};
  Button cancel{form, {184, 104, 65, 25}, u"&\u041e\u0442\u043a\u0430\u0436\u0438"};
};

TEST(Form, ModalRunEndsWithTheResultOfThePressedButton) {
  ThreeButtonDialog dialog;
  probe::PostClick(dialog.no.Handle());
  EXPECT_EQ(dialog.form.ShowModal(), 2);
  EXPECT_FALSE(dialog.form.Visible());

  PostMessageW(dialog.form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.form.ShowModal(), Form::kModalClosed);
  EXPECT_FALSE(dialog.form.Closed()) << "a closed modal form is only hidden, ready for reuse";

  dialog.form.SetCancelButton(dialog.cancel);
  PostMessageW(dialog.form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.form.ShowModal(), 3) << "the close box presses the cancel button";
}

TEST(Form, ModalRunDisablesTheOtherFormsUntilItEnds) {
  Form main(Options());
  main.Show();
  ThreeButtonDialog dialog;
  bool mainEnabledDuringRun = true;
  dialog.yes.SetOnClick([&] { mainEnabledDuringRun = main.Enabled(); });
  probe::PostClick(dialog.yes.Handle());
  EXPECT_EQ(dialog.form.ShowModal(), 1);
  EXPECT_FALSE(mainEnabledDuringRun);
  EXPECT_TRUE(main.Enabled());
}

TEST(Form, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
  Form form(Options());
  Edit edit(form, {8, 8, 100, 0}, u"");
  Button ok(form, {8, 40, 75, 25}, u"OK");
  Button cancel(form, {90, 40, 75, 25}, u"Cancel");
  int okClicks = 0;
  int cancelClicks = 0;
  ok.SetOnClick([&] { ++okClicks; });
  cancel.SetOnClick([&] { ++cancelClicks; });
  form.SetDefaultButton(ok);
  form.SetCancelButton(cancel);
  form.SetActiveControl(edit);
  form.Show();
  ProcessMessages();
  // Another test program's window may have become the active one meanwhile.
  if (GetActiveWindow() == form.Handle()) {
    EXPECT_EQ(GetFocus(), edit.Handle());
  }
  EXPECT_EQ(ok.Style() & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  PostMessageW(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0);
  ProcessMessages();
  EXPECT_EQ(okClicks, 1);
  PostMessageW(edit.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  ProcessMessages();
  EXPECT_EQ(cancelClicks, 1);
}

TEST(MessageLoop, ProcessMessagesServesWhatWaitsAndLeavesTheQuitRequest) {
  Form form(Options());
  Button button(form, {0, 0, 10, 10}, u"Count");
  int clicks = 0;
  button.SetOnClick([&] { ++clicks; });
  ProcessMessages();  // returns at once with nothing queued
  probe::PostClick(button.Handle());
  probe::PostClick(button.Handle());
  PostQuitMessage(7);
  ProcessMessages();
  EXPECT_EQ(clicks, 2);
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
}

TEST(MessageLoop, RunEndsWhenTheMainFormCloses) {
  Form form(Options());
  Button exit(form, {280, 363, 122, 25}, u"Exit");
  exit.SetOnClick([&] { form.Close(); });
  probe::PostClick(exit.Handle());
  EXPECT_EQ(gui::Run(form), 0);
  EXPECT_TRUE(form.Closed());
  MSG left{};
  EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "Run took the quit";
}

}  // namespace
}  // namespace gui

// The message boxes with their button sets, the password box, and the scripted stand-in.
// Real boxes are answered from another thread, the way a user or gui_driver would.
#include "gui/dialogs.h"

#include <gtest/gtest.h>

#include "gui/font.h"
#include "gui/scripted_dialogs.h"
#include "gui/tests/gui_test_support.h"
#include "gui/tests/window_probe.h"
#include "gui/text.h"

namespace gui {
namespace {

using test::Answerer;
using test::ButtonTexts;

struct ButtonSet {
  MessageKind kind;
  Buttons buttons;
  Answer defaultButton;
  std::vector<std::u16string> texts;
};

const ButtonSet kButtonSets[] = {
    {MessageKind::Error, {Answer::OK}, Answer::OK, {u"OK"}},
    {MessageKind::Information, {Answer::OK}, Answer::OK, {u"OK"}},
    {MessageKind::Confirmation, {Answer::Yes, Answer::Cancel}, Answer::Yes, {u"&Yes", u"Cancel"}},
    {MessageKind::Confirmation,
     {Answer::Yes, Answer::No, Answer::NoToAll, Answer::YesToAll},
     Answer::Yes,
     {u"&Yes", u"&No", u"N&o to All", u"Yes to &All"}},
    {MessageKind::Confirmation,
     {Answer::Abort, Answer::Ignore},
     Answer::Abort,
     {u"&Abort", u"&Ignore"}},
    {MessageKind::Warning,
     {Answer::Abort, Answer::Retry, Answer::Ignore},
     Answer::Abort,
     {u"&Abort", u"&Retry", u"&Ignore"}},
    {MessageKind::Confirmation, {Answer::OK, Answer::Cancel}, Answer::OK, {u"OK", u"Cancel"}},
};

TEST(MessageDialog, ShowsEachButtonSetAndReturnsThePressedButton) {
  Win32Dialogs dialogs;
  const std::u16string text = u"Overwrite file \"C:\\a.txt\" with \"a.txt\"";
  for (const ButtonSet& set : kButtonSets) {
    for (size_t i = 0; i < set.buttons.size(); ++i) {
      SCOPED_TRACE(Utf16ToUtf8(KindCaption(set.kind) + u": " + set.texts[i]));
      std::vector<std::u16string> texts;
      bool textShown = false;
      Answerer answerer(KindCaption(set.kind), [&](HWND box) {
        texts = ButtonTexts(box);
        textShown = probe::FindControl(box, text) != nullptr;
        probe::PostClick(probe::FindControl(box, set.texts[i]));
      });
      EXPECT_EQ(dialogs.Ask(set.kind, text, set.buttons, set.defaultButton), set.buttons[i]);
      EXPECT_EQ(texts, set.texts);
      EXPECT_TRUE(textShown);
    }
  }
}

// Keys are posted to the message text, not to the focused control: another test program
// showing a window at the same moment may take the focus away, and the dialog manager handles
// Enter and Escape from any control of the box.
void PostKey(HWND box, const std::u16string& text, WPARAM key) {
  PostMessageW(probe::FindControl(box, text), WM_KEYDOWN, key, 0);
}

TEST(MessageDialog, EnterPressesTheDefaultButton) {
  Win32Dialogs dialogs;
  LONG noStyle = 0;
  Answerer answerer(u"Confirmation", [&](HWND box) {
    noStyle = GetWindowLongW(probe::FindControl(box, u"No"), GWL_STYLE);
    PostKey(box, u"Go on?", VK_RETURN);
  });
  EXPECT_EQ(
      dialogs.Ask(MessageKind::Confirmation, u"Go on?", {Answer::Yes, Answer::No}, Answer::No),
      Answer::No);
  EXPECT_EQ(noStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

struct EscapeCase {
  Buttons buttons;
  Answer answer;
};

TEST(MessageDialog, EscapeAndTheCloseBoxPressCancelElseNoElseOk) {
  const EscapeCase cases[] = {
      {{Answer::Yes, Answer::Cancel}, Answer::Cancel},
      {{Answer::Yes, Answer::No, Answer::NoToAll, Answer::YesToAll}, Answer::No},
      {{Answer::OK}, Answer::OK},
      {{Answer::Abort, Answer::Ignore}, Answer::None},
      {{Answer::Abort, Answer::Retry, Answer::Ignore}, Answer::None},
  };
  Win32Dialogs dialogs;
  for (const EscapeCase& c : cases) {
    for (const bool closeBox : {false, true}) {
      SCOPED_TRACE(closeBox ? "close box" : "Escape");
      Answerer answerer(u"Confirmation", [&](HWND box) {
        if (closeBox) {
          PostMessageW(box, WM_CLOSE, 0, 0);
        } else {
          PostKey(box, u"?", VK_ESCAPE);
        }
      });
      EXPECT_EQ(dialogs.Ask(MessageKind::Confirmation, u"?", c.buttons, c.buttons[0]), c.answer);
    }
  }
}

struct PasswordBoxView {
  RECT client{};
  std::u16string prompt;
  std::u16string initialText;
  LONG editStyle = 0;
  wchar_t mask = 0;
  LRESULT limit = 0;
  RECT edit{}, ok{}, cancel{};
};

RECT PlaceIn(HWND top, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Reads the box, types `password` into it and presses `button`.
PasswordBoxView AnswerPasswordBox(HWND box, const std::u16string& password,
                                  const std::u16string& button) {
  PasswordBoxView view;
  GetClientRect(box, &view.client);
  view.prompt = probe::ReadText(probe::FindControl(box, u"Static:1"));
  HWND edit = probe::FindControl(box, u"Edit:1");
  view.initialText = probe::ReadText(edit);
  view.editStyle = GetWindowLongW(edit, GWL_STYLE);
  view.mask = static_cast<wchar_t>(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0));
  view.limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
  view.edit = PlaceIn(box, edit);
  view.ok = PlaceIn(box, probe::FindControl(box, u"OK"));
  view.cancel = PlaceIn(box, probe::FindControl(box, u"Cancel"));
  probe::WriteText(edit, password);
  probe::PostClick(probe::FindControl(box, button));
  return view;
}

TEST(PasswordBox, ReturnsTheTypedTextAfterOk) {
  Win32Dialogs dialogs;
  PasswordBoxView view;
  Answerer answerer(u"Password for \"CSTALU\\data.bin\"",
                    [&](HWND box) { view = AnswerPasswordBox(box, u"qarvu-tn.pzo", u"OK"); });
  EXPECT_EQ(dialogs.AskPassword(u"Password for \"CSTALU\\data.bin\"", u"Enter password: "),
            u"qarvu-tn.pzo");
  ASSERT_TRUE(answerer.Found());
  EXPECT_EQ(view.prompt, u"Enter password: ");
  EXPECT_EQ(view.initialText, u"");
  EXPECT_TRUE(view.editStyle & ES_PASSWORD);
  EXPECT_EQ(view.mask, L'*');
  EXPECT_EQ(view.limit, 255);

  // Laid out in dialog units of the default font.
  const Font font(DefaultGuiFont());
  const DialogUnits du(font.Handle());
  EXPECT_EQ(view.client.right, du.X(180));
  EXPECT_EQ(view.client.bottom, du.Y(63));
  EXPECT_EQ(view.edit.left, du.X(8));
  EXPECT_EQ(view.edit.top, du.Y(19));
  EXPECT_EQ(view.edit.right - view.edit.left, du.X(164));
  EXPECT_EQ(view.ok.left, du.X(38));
  EXPECT_EQ(view.cancel.left, du.X(92));
  EXPECT_EQ(view.ok.top, du.Y(41));
  EXPECT_EQ(view.ok.right - view.ok.left, du.X(50));
  EXPECT_EQ(view.ok.bottom - view.ok.top, du.Y(14));
}

TEST(PasswordBox, ReturnsNothingAfterCancel) {
  Win32Dialogs dialogs;
  Answerer answerer(u"Password for \"a.txt\"",
                    [&](HWND box) { AnswerPasswordBox(box, u"typed", u"Cancel"); });
  EXPECT_EQ(dialogs.AskPassword(u"Password for \"a.txt\"", u"Enter password: "), std::nullopt);
}

TEST(ScriptedDialogs, RecordsEveryQuestionAndAnswersFromTheScript) {
  ScriptedDialogs script;
  script.QueueAnswer(Answer::Yes);
  script.QueueAnswer(Answer::Retry);  // not on the next box: it is closed instead
  script.QueuePassword(u"secret");
  ScopedDialogs scope(script);
  Dialogs& dialogs = CurrentDialogs();

  EXPECT_EQ(dialogs.Ask(MessageKind::Confirmation, u"Found old version.",
                        {Answer::Yes, Answer::Cancel}, Answer::Yes),
            Answer::Yes);
  EXPECT_EQ(
      dialogs.Ask(MessageKind::Confirmation, u"x", {Answer::Abort, Answer::Ignore}, Answer::Abort),
      Answer::None);
  dialogs.ShowInformation(u"Some files will be deleted after reboot.");  // nothing left: None
  EXPECT_EQ(dialogs.AskPassword(u"a.txt", u"Enter password: "), u"secret");
  EXPECT_EQ(dialogs.AskPassword(u"b.txt", u"Enter password: "), std::nullopt);

  ASSERT_EQ(script.Questions().size(), 3u);
  EXPECT_EQ(script.Questions()[0].text, u"Found old version.");
  EXPECT_EQ(script.Questions()[0].defaultButton, Answer::Yes);
  EXPECT_EQ(script.Questions()[2].kind, MessageKind::Information);
  EXPECT_EQ(script.PasswordRequests(), (std::vector<std::u16string>{u"a.txt", u"b.txt"}));
}

TEST(ScriptedDialogs, ScopeRestoresTheDialogsBefore) {
  Dialogs& before = CurrentDialogs();
  {
    ScriptedDialogs script;
    ScopedDialogs scope(script);
    EXPECT_EQ(&CurrentDialogs(), &script);
  }
  EXPECT_EQ(&CurrentDialogs(), &before);
}

}  // namespace
}  // namespace gui

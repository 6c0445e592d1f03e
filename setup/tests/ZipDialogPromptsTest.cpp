// The archive engine's questions reach the setup program's dialogs with the engine's buttons,
// and the answers come back; a box closed without a button counts as Cancel. (The password
// box is answered through the same dialogs in the install run's tests.)
#include <gtest/gtest.h>

#include "ZipDialogPrompts.h"
#include "gui/scripted_dialogs.h"

namespace talu::setup {
namespace {

using gui::Answer;
using zip::TZipButton;

struct ConfirmCase {
  zip::TZipButtons buttons;
  gui::Buttons shown;
  Answer defaultButton;
  Answer pressed;
  TZipButton result;
};

TEST(ZipDialogPrompts, AskWithTheEnginesButtonsAndReturnThePressedOne) {
  const ConfirmCase cases[] = {
      {zip::kAbortRetryIgnore,
       {Answer::Abort, Answer::Retry, Answer::Ignore},
       Answer::Retry,
       Answer::Ignore,
       TZipButton::Ignore},
      {zip::kAbortIgnore,
       {Answer::Abort, Answer::Ignore},
       Answer::Abort,
       Answer::Abort,
       TZipButton::Abort},
      {zip::kYesNoNoToAllYesToAll,
       {Answer::Yes, Answer::No, Answer::NoToAll, Answer::YesToAll},
       Answer::Yes,
       Answer::NoToAll,
       TZipButton::NoToAll},
      {zip::kOKCancel, {Answer::OK, Answer::Cancel}, Answer::OK, Answer::None, TZipButton::Cancel},
  };
  for (const ConfirmCase& c : cases) {
    gui::ScriptedDialogs script;
    script.QueueAnswer(c.pressed);
    gui::ScopedDialogs scope(script);
    TZipDialogPrompts prompts;
    EXPECT_EQ(prompts.Confirm(u"Disk is full", c.buttons), c.result);
    ASSERT_EQ(script.Questions().size(), 1u);
    EXPECT_EQ(script.Questions()[0].kind, gui::MessageKind::Confirmation);
    EXPECT_EQ(script.Questions()[0].buttons, c.shown);
    EXPECT_EQ(script.Questions()[0].defaultButton, c.defaultButton);
  }
}

}  // namespace
}  // namespace talu::setup

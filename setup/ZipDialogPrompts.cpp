#include "ZipDialogPrompts.h"

#include <algorithm>
#include <utility>

#include "gui/dialogs.h"

namespace talu::setup {
namespace {

using gui::Answer;
using zip::TZipButton;

constexpr std::pair<TZipButton, Answer> kButtonAnswers[] = {
    {TZipButton::Yes, Answer::Yes},         {TZipButton::No, Answer::No},
    {TZipButton::NoToAll, Answer::NoToAll}, {TZipButton::YesToAll, Answer::YesToAll},
    {TZipButton::Abort, Answer::Abort},     {TZipButton::Retry, Answer::Retry},
    {TZipButton::Ignore, Answer::Ignore},   {TZipButton::OK, Answer::OK},
    {TZipButton::Cancel, Answer::Cancel},
};

Answer AnswerOf(TZipButton button) {
  for (const auto& [zipButton, answer] : kButtonAnswers) {
    if (zipButton == button) return answer;
  }
  return Answer::None;
}

TZipButton ButtonOf(Answer answer) {
  for (const auto& [zipButton, shown] : kButtonAnswers) {
    if (shown == answer) return zipButton;
  }
  return TZipButton::Cancel;  // closed without a button
}

// Enter presses OK, else Yes, else Retry, else the first button.
Answer DefaultAnswer(const gui::Buttons& buttons) {
  for (Answer preferred : {Answer::OK, Answer::Yes, Answer::Retry}) {
    if (std::find(buttons.begin(), buttons.end(), preferred) != buttons.end()) return preferred;
  }
  return buttons.empty() ? Answer::None : buttons.front();
}

}  // namespace

TZipButton TZipDialogPrompts::Confirm(const std::u16string& text, const zip::TZipButtons& buttons) {
  gui::Buttons shown;
  for (TZipButton button : buttons) shown.push_back(AnswerOf(button));
  return ButtonOf(
      gui::CurrentDialogs().Ask(gui::MessageKind::Confirmation, text, shown, DefaultAnswer(shown)));
}

bool TZipDialogPrompts::PasswordInputQuery(const std::u16string& caption,
                                           const std::u16string& prompt, std::u16string& value) {
  auto typed = gui::CurrentDialogs().AskPassword(caption, prompt);
  if (!typed) return false;
  value = std::move(*typed);
  return true;
}

}  // namespace talu::setup

// Dialogs answered from a script, for tests: every question is recorded, and each gets the
// next queued answer.
//
//   ScriptedDialogs script;
//   script.QueueAnswer(Answer::Yes);
//   ScopedDialogs scope(script);
//   ... code under test asks ...
//   EXPECT_EQ(script.Questions().at(0).text, u"Found old version.\r\n...");
#pragma once

#include <deque>

#include "gui/dialogs.h"

namespace gui {

class ScriptedDialogs final : public Dialogs {
 public:
  struct Question {
    MessageKind kind;
    std::u16string text;
    Buttons buttons;
    Answer defaultButton;
  };

  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  // nullopt: the password box is cancelled.
  void QueuePassword(std::optional<std::u16string> password) {
    passwords_.push_back(std::move(password));
  }

  const std::vector<Question>& Questions() const { return questions_; }
  // The captions of the password boxes asked for.
  const std::vector<std::u16string>& PasswordRequests() const { return passwordRequests_; }

  // The next queued answer; None when nothing is queued or the box has no such button (a real
  // box cannot be answered with a button it does not show).
  Answer Ask(MessageKind kind, const std::u16string& text, const Buttons& buttons,
             Answer defaultButton) override;
  // The next queued password; Cancel when nothing is queued.
  std::optional<std::u16string> AskPassword(const std::u16string& caption,
                                            const std::u16string& prompt) override;

 private:
  std::deque<Answer> answers_;
  std::deque<std::optional<std::u16string>> passwords_;
  std::vector<Question> questions_;
  std::vector<std::u16string> passwordRequests_;
};

}  // namespace gui

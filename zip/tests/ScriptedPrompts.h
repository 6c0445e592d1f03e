// Prompts answered from a script, for tests: each question takes the next answer and is
// recorded with its text and buttons. An exhausted script answers as a closed box.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "ZipPrompts.h"

namespace talu::zip {

class ScriptedPrompts : public IZipPrompts {
 public:
  struct Question {
    std::u16string text;  // the box text, or the password box's caption
    TZipButtons buttons;  // empty for the password box
  };

  ScriptedPrompts() { SetZipPrompts(this); }
  ~ScriptedPrompts() override { SetZipPrompts(nullptr); }

  void Answer(TZipButton button) { buttons_.push_back(button); }
  void AnswerPassword(std::u16string typed) { passwords_.push_back(std::move(typed)); }
  const std::vector<Question>& Asked() const { return asked_; }

  TZipButton Confirm(const std::u16string& text, const TZipButtons& buttons) override {
    asked_.push_back({text, buttons});
    if (buttons_.empty()) return TZipButton::Cancel;
    const TZipButton b = buttons_.front();
    buttons_.pop_front();
    return b;
  }

  // An empty string in the script stands for Cancel.
  bool PasswordInputQuery(const std::u16string& caption, const std::u16string&,
                          std::u16string& value) override {
    asked_.push_back({caption, {}});
    if (passwords_.empty() || passwords_.front().empty()) {
      if (!passwords_.empty()) passwords_.pop_front();
      return false;
    }
    value = passwords_.front();
    passwords_.pop_front();
    return true;
  }

 private:
  std::deque<TZipButton> buttons_;
  std::deque<std::u16string> passwords_;
  std::vector<Question> asked_;
};

}  // namespace talu::zip

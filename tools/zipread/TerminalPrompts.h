// The engine's questions asked on the terminal: a numbered choice of buttons, and a password
// read without echo. Without a terminal every question is answered as closed (Cancel), and the
// fact is remembered so that the run can end with a failure.
#pragma once

#include "ZipPrompts.h"

namespace talu::zipread {

class TerminalPrompts : public talu::zip::IZipPrompts {
 public:
  talu::zip::TZipButton Confirm(const std::u16string& text,
                                const talu::zip::TZipButtons& buttons) override;
  bool PasswordInputQuery(const std::u16string& caption, const std::u16string& prompt,
                          std::u16string& value) override;

  // A question came up that nobody could answer.
  bool Unanswered() const { return unanswered_; }

 private:
  bool unanswered_ = false;
};

}  // namespace talu::zipread

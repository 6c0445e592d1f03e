#include "TerminalPrompts.h"

#include <iostream>
#include <string>

#include "Terminal.h"
#include "text/ZipUtf.h"

namespace talu::zipread {
namespace {

using talu::zip::TZipButton;

struct Choice {
  TZipButton button;
  const char* key;  // what the user types
  const char* label;
};

constexpr Choice kChoices[] = {
    {TZipButton::Yes, "y", "[y]es"},       {TZipButton::No, "n", "[n]o"},
    {TZipButton::YesToAll, "A", "[A]ll"},  {TZipButton::NoToAll, "N", "[N]one"},
    {TZipButton::Abort, "a", "[a]bort"},   {TZipButton::Retry, "r", "[r]etry"},
    {TZipButton::Ignore, "i", "[i]gnore"}, {TZipButton::OK, "o", "[o]k"},
    {TZipButton::Cancel, "c", "[c]ancel"},
};

const Choice* ChoiceFor(TZipButton button) {
  for (const Choice& c : kChoices)
    if (c.button == button) return &c;
  return nullptr;
}

}  // namespace

TZipButton TerminalPrompts::Confirm(const std::u16string& text,
                                    const talu::zip::TZipButtons& buttons) {
  if (!HasTerminal()) {
    // Nobody to ask: a failure is passed over so that the other items still get their turn.
    unanswered_ = true;
    for (TZipButton b : buttons)
      if (b == TZipButton::Ignore) return b;
    return TZipButton::Cancel;
  }
  std::string line;
  for (;;) {
    std::cerr << "\n" << talu::zip::Utf16ToUtf8(text) << "\n";  // below any progress line
    for (size_t i = 0; i < buttons.size(); ++i)
      std::cerr << (i ? ", " : "") << ChoiceFor(buttons[i])->label;
    std::cerr << ": " << std::flush;
    if (!ReadTerminalLine(line, true)) return TZipButton::Cancel;
    for (TZipButton b : buttons)
      if (line == ChoiceFor(b)->key) return b;
  }
}

bool TerminalPrompts::PasswordInputQuery(const std::u16string& caption,
                                         const std::u16string& prompt, std::u16string& value) {
  if (!HasTerminal()) {
    unanswered_ = true;
    return false;
  }
  std::cerr << "\n"
            << talu::zip::Utf16ToUtf8(caption) << "\n"
            << talu::zip::Utf16ToUtf8(prompt) << std::flush;
  std::string typed;
  if (!ReadTerminalLine(typed, false)) return false;
  value = talu::zip::Utf8ToUtf16(typed);
  return true;
}

}  // namespace talu::zipread

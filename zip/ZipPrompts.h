// The questions the engine's default event behaviour asks the user.
//
// The engine never talks to a screen itself: it asks through the process's current prompt
// implementation. The setup program installs Win32 dialogs, the command-line tool terminal
// prompts, tests scripted answers. Without one, every question is answered as closed (Cancel).
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace talu::zip {

enum class TZipButton { Yes, No, NoToAll, YesToAll, Abort, Retry, Ignore, OK, Cancel };

// Button sets of the confirmation boxes.
using TZipButtons = std::vector<TZipButton>;
inline const TZipButtons kYesNoNoToAllYesToAll{TZipButton::Yes, TZipButton::No, TZipButton::NoToAll,
                                               TZipButton::YesToAll};
inline const TZipButtons kAbortRetryIgnore{TZipButton::Abort, TZipButton::Retry,
                                           TZipButton::Ignore};
inline const TZipButtons kAbortIgnore{TZipButton::Abort, TZipButton::Ignore};
inline const TZipButtons kOKCancel{TZipButton::OK, TZipButton::Cancel};

class IZipPrompts {
 public:
  virtual ~IZipPrompts() = default;

  // A confirmation box (question icon) with `text` and `buttons`; returns the button pressed,
  // or Cancel when the box was closed without one.
  virtual TZipButton Confirm(const std::u16string& text, const TZipButtons& buttons) = 0;

  // The password box: true and the typed text in `value` when closed with OK.
  virtual bool PasswordInputQuery(const std::u16string& caption, const std::u16string& prompt,
                                  std::u16string& value) = 0;
};

// The process's prompt implementation; never null. SetZipPrompts(nullptr) restores the silent one.
IZipPrompts& ZipPrompts();
void SetZipPrompts(IZipPrompts* prompts);

}  // namespace talu::zip

// Message boxes and the password box, behind an interface so tests can answer them.
//
//   if (CurrentDialogs().Ask(MessageKind::Confirmation, u"Go on?", {Answer::Yes, Answer::Cancel},
//                            Answer::Yes) == Answer::Yes) { ... }
//
// CurrentDialogs() shows real modal dialogs unless a ScopedDialogs has put another
// implementation (ScriptedDialogs in tests) in their place.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace gui {

enum class MessageKind { Error, Information, Confirmation, Warning };

// The buttons a message box can show. None: the box was closed without pressing one.
enum class Answer { None, OK, Cancel, Yes, No, Abort, Retry, Ignore, NoToAll, YesToAll };

using Buttons = std::vector<Answer>;

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal box with `text`, the icon and caption of `kind`, and one button per answer in the
  // given order; `defaultButton` is pressed by Enter and has the focus.
  virtual Answer Ask(MessageKind kind, const std::u16string& text, const Buttons& buttons,
                     Answer defaultButton) = 0;
  // The password box with `caption` and `prompt` (the archive engine's "Password for "<item>""
  // and "Enter password: "): the typed text after OK, nothing after Cancel.
  virtual std::optional<std::u16string> AskPassword(const std::u16string& caption,
                                                    const std::u16string& prompt) = 0;

  void ShowError(const std::u16string& text) {
    Ask(MessageKind::Error, text, {Answer::OK}, Answer::OK);
  }
  void ShowInformation(const std::u16string& text) {
    Ask(MessageKind::Information, text, {Answer::OK}, Answer::OK);
  }
};

// The real modal dialogs, owned by the active window.
class Win32Dialogs final : public Dialogs {
 public:
  Answer Ask(MessageKind kind, const std::u16string& text, const Buttons& buttons,
             Answer defaultButton) override;
  std::optional<std::u16string> AskPassword(const std::u16string& caption,
                                            const std::u16string& prompt) override;
};

Dialogs& CurrentDialogs();

// Puts `dialogs` in place of the current ones for the lifetime of this object.
class ScopedDialogs {
 public:
  explicit ScopedDialogs(Dialogs& dialogs);
  ~ScopedDialogs();
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;

 private:
  Dialogs* previous_;
};

// The caption of a message box of `kind` and the text of the button for `answer`.
std::u16string KindCaption(MessageKind kind);
std::u16string ButtonCaption(Answer answer);

}  // namespace gui

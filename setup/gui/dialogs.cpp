#include "gui/dialogs.h"

#include "gui/message_dialog.h"
#include "gui/password_box.h"

namespace gui {
namespace {

Dialogs* current = nullptr;

}  // namespace

Answer Win32Dialogs::Ask(MessageKind kind, const std::u16string& text, const Buttons& buttons,
                         Answer defaultButton) {
  return ShowMessageDialog(kind, text, buttons, defaultButton);
}

std::optional<std::u16string> Win32Dialogs::AskPassword(const std::u16string& caption,
                                                        const std::u16string& prompt) {
  return ShowPasswordBox(caption, prompt);
}

Dialogs& CurrentDialogs() {
  static Win32Dialogs real;
  return current != nullptr ? *current : real;
}

ScopedDialogs::ScopedDialogs(Dialogs& dialogs) : previous_(current) {
  current = &dialogs;
}

ScopedDialogs::~ScopedDialogs() {
  current = previous_;
}

std::u16string KindCaption(MessageKind kind) {
  static constexpr const char16_t* kCaptions[] = {u"Error", u"Information", u"Confirmation",
                                                  u"Warning"};  // in the order of MessageKind
  return kCaptions[static_cast<size_t>(kind)];
}

std::u16string ButtonCaption(Answer answer) {
  static constexpr const char16_t* kCaptions[] = {
      u"",       u"OK",     u"Cancel",  u"&Yes",       u"&No",
      u"&Abort", u"&Retry", u"&Ignore", u"N&o to All", u"Yes to &All",
  };  // in the order of Answer
  return kCaptions[static_cast<size_t>(answer)];
}

}  // namespace gui

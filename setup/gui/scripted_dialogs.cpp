#include "gui/scripted_dialogs.h"

#include <algorithm>

namespace gui {

Answer ScriptedDialogs::Ask(MessageKind kind, const std::u16string& text, const Buttons& buttons,
                            Answer defaultButton) {
  questions_.push_back({kind, text, buttons, defaultButton});
  if (answers_.empty()) return Answer::None;
  const Answer answer = answers_.front();
  answers_.pop_front();
  const bool shown = std::find(buttons.begin(), buttons.end(), answer) != buttons.end();
  return shown ? answer : Answer::None;
}

std::optional<std::u16string> ScriptedDialogs::AskPassword(const std::u16string& caption,
                                                           const std::u16string& /*prompt*/) {
  passwordRequests_.push_back(caption);
  if (passwords_.empty()) return std::nullopt;
  auto password = std::move(passwords_.front());
  passwords_.pop_front();
  return password;
}

}  // namespace gui

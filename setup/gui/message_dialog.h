// The message box with any set of buttons.
#pragma once

#include "gui/dialogs.h"

namespace gui {

Answer ShowMessageDialog(MessageKind kind, const std::u16string& text, const Buttons& buttons,
                         Answer defaultButton);

}  // namespace gui

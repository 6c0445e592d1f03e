// The password box of the archive engine's default password prompt.
#pragma once

#include <optional>
#include <string>

namespace gui {

// A modal box centred on the screen: `caption`, the label `prompt`, an initially empty edit box
// that shows "*" for each of at most 255 characters, OK (default) and Cancel; laid out in dialog
// units of the default GUI font.
std::optional<std::u16string> ShowPasswordBox(const std::u16string& caption,
                                              const std::u16string& prompt);

}  // namespace gui

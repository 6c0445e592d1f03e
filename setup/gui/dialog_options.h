// The frame of the dialogs built at run time: fixed dialog border, centred on the screen,
// owned by the active window, in the default GUI font.
#pragma once

#include "gui/form.h"

namespace gui {

inline FormOptions DialogOptions(const std::u16string& caption, int clientWidth, int clientHeight) {
  FormOptions options;
  options.caption = caption;
  options.clientWidth = clientWidth;
  options.clientHeight = clientHeight;
  options.border = BorderStyle::Dialog;
  options.placement = Placement::ScreenCenter;
  options.owner = GetActiveWindow();
  return options;
}

}  // namespace gui

// A panel: a frame around other controls, with a sunken double bevel.
#pragma once

#include "gui/container.h"

namespace gui {

class Panel : public Container {
 public:
  // `backgroundColor` is a system colour index (COLOR_WINDOW, COLOR_BTNFACE, ...).
  Panel(Container& parent, const Bounds& bounds, int backgroundColor)
      : Container(parent, bounds, WS_EX_CLIENTEDGE, backgroundColor) {}
};

}  // namespace gui

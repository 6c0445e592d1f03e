// A bevel drawn as a sunken line along the top edge of its place.
#pragma once

#include "gui/window.h"

namespace gui {

class Bevel : public Control {
 public:
  Bevel(Container& parent, const Bounds& bounds)
      : Control(parent, L"Static", SS_OWNERDRAW, bounds, u"") {}

  void OnDrawItem(const DRAWITEMSTRUCT& item) override;
};

}  // namespace gui

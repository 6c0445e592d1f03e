// A progress bar from 0 to 100.
#pragma once

#include "gui/common_controls.h"
#include "gui/window.h"

namespace gui {

class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, const Bounds& bounds)
      : Control(parent, PROGRESS_CLASSW, 0, bounds, u"") {
    SendMessageW(Handle(), PBM_SETRANGE32, 0, 100);
  }

  int Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }
  // Values outside 0..100 are held at the nearer end.
  void SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, position, 0); }
};

}  // namespace gui

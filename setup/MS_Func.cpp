#include "MS_Func.h"

#include "gui/application.h"

namespace talu::setup {

void msdelay(int ms) {
  DelayServingMessages(ms, [] { return GetTickCount(); });
}

void DelayServingMessages(int ms, const TTickSource& tickCount) {
  if (ms < 0) return;
  const DWORD length = static_cast<DWORD>(ms);
  const DWORD start = tickCount();
  for (;;) {
    gui::ProcessMessages();
    const DWORD elapsed = tickCount() - start;
    if (elapsed > length) return;
    // Sleeps until a message arrives or the rest of the wait is over.
    MsgWaitForMultipleObjectsEx(0, nullptr, length - elapsed + 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace talu::setup

#include "gui/application.h"

#include "gui/common_controls.h"
#include "gui/form.h"

namespace gui {

void InitControls() {
  static const bool loaded = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)loaded;
}

void TranslateAndDispatch(MSG& message) {
  HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root != nullptr && dynamic_cast<Form*>(Window::FromHandle(root)) != nullptr &&
      IsDialogMessageW(root, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void ProcessMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateAndDispatch(message);
  }
}

int Run(Form& mainForm) {
  if (mainForm.Closed()) return 0;
  mainForm.SetQuitOnClose();
  mainForm.Show();
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) TranslateAndDispatch(message);
  return 0;
}

}  // namespace gui

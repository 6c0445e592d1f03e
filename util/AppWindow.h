// The application's main window, used as the owner of shell dialogs and questions.
// The setup program registers its window at start; until then the owner is none.
#pragma once

#include <windows.h>

namespace talu {

void SetApplicationWindow(HWND window);
HWND ApplicationWindow();

}  // namespace talu

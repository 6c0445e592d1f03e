#include "AppWindow.h"

namespace talu {
namespace {
HWND application_window = nullptr;
}  // namespace

void SetApplicationWindow(HWND window) {
  application_window = window;
}
HWND ApplicationWindow() {
  return application_window;
}

}  // namespace talu

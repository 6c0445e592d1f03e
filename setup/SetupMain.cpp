// The setup program's start: the setup window and the hidden message dialog, then the message
// loop until the setup window closes.
#include <windows.h>
// After <windows.h>:
#include <ole2.h>

#include "AppWindow.h"
#include "MSMessage.h"
#include "Talu_Seup_Unit.h"
#include "ZipDialogPrompts.h"
#include "gui/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace talu::setup;
  // Shell links and the folder browser need a single-threaded apartment on this thread.
  OleInitialize(nullptr);
  TZipDialogPrompts prompts;
  talu::zip::SetZipPrompts(&prompts);
  TForm1 Form1(TSetupContext::FromProcess());
  talu::SetApplicationWindow(Form1.Handle());
  TFormMess FormMess;
  gui::Run(Form1);
  talu::zip::SetZipPrompts(nullptr);
  OleUninitialize();
  return 0;
}

// TaluDemo: the product's program. One source for the four language editions; the build
// names the edition by its letter (TALU_DEMO_EDITION=B, G, V or J).
#include <windows.h>

#include "gui/application.h"
#include "product/demo_window.h"

#define TALU_DEMO_TEXT(x) #x
#define TALU_DEMO_LETTER(x) TALU_DEMO_TEXT(x)[0]

namespace {

constexpr char kEditionLetter = TALU_DEMO_LETTER(TALU_DEMO_EDITION);

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace talu::demo;
  const Edition& edition = EditionByLetter(kEditionLetter);
  DemoWindow window(
      edition, ReadProductData(DataFolderBesideProgram(), std::u16string(edition.name), Today()));
  return gui::Run(window);
}

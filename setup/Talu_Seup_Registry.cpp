// The uninstall entry and the product key, both in the current user's hive: written after an
// install, read to find a previous installation, deleted by an uninstall. No registry failure
// is ever reported.
#include <windows.h>

#include "Get_Dir.h"
#include "Registry.h"
#include "SetupConst.h"
#include "Talu_Seup_Unit.h"
#include "WideText.h"

namespace talu::setup {

void TForm1::SetRegUninstall() {
  RegKey entry;
  if (entry.Create(HKEY_CURRENT_USER, kUninstallKey, KEY_ALL_ACCESS)) {
    const bool written = entry.WriteString(u"DisplayIcon", CorrectDir(MyFolder) + kIconName) &&
                         entry.WriteString(u"DisplayName", u"TaluDemo") &&
                         entry.WriteString(u"Publisher", u"Corvanis Ltd.") &&
                         entry.WriteString(u"UninstallString", UninstallCommand(MyFolder));
    if (!written) return;  // a failed write ends the writer
  }
  RegKey product;
  if (product.Create(HKEY_CURRENT_USER, kProductKey, KEY_ALL_ACCESS) &&
      product.WriteString(u"WorkDir", MyFolder)) {
    product.WriteString(u"Version", u"1.0.7");
  }
}

std::u16string TForm1::CheckForOldVersion() {
  RegKey product;
  if (!product.Open(HKEY_CURRENT_USER, kProductKey, KEY_READ)) return {};
  return product.ReadString(u"WorkDir").value_or(u"");
}

void TForm1::ClearRegistry() {
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(kUninstallKey));
  RegDeleteTreeW(HKEY_CURRENT_USER, Wide(kProductKey));  // "Software\Corvanis" stays
}

}  // namespace talu::setup

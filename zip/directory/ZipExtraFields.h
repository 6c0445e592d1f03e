// Interpretation of an item's extra blocks while a directory is loaded.
#pragma once

#include <string_view>

#include "ZipDirArray.h"

namespace talu::zip {

// Applies the extra blocks of item `index` in stored order: the Zip64 values (0x0001), the
// name of a Unicode extended info block (0x554E) and the AES block (0x9901). After them, when no
// 0x554E block named the item, an Info-ZIP Unicode Path block (0x7075) whose CRC matches
// `storedName` names it. Renaming goes through the array (kNeNameTakenInIndex).
void ApplyExtraFields(TZipDirArray& dir, int index, std::string_view storedName);

}  // namespace talu::zip

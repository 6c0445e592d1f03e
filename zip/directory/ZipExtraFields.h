// Interpretation of an item's extra blocks while a directory is loaded.
#pragma once

#include <optional>
#include <string_view>

#include "ZipDirArray.h"

namespace talu::zip {

// Applies the extra blocks of item `index` in stored order: the Zip64 values (0x0001), the
// name of a Unicode extended info block (0x554E) and the AES block (0x9901). After them, when no
// 0x554E block named the item, an Info-ZIP Unicode Path block (0x7075) whose CRC matches
// `storedName` names it. Renaming goes through the array (kNeNameTakenInIndex).
void ApplyExtraFields(TZipDirArray& dir, int index, std::string_view storedName);

// A last-write time as seconds and nanoseconds since 1970-01-01 UTC.
struct TZipUnixTime {
  std::int64_t seconds;
  std::uint32_t nanoseconds;
};
// The item's exact last-write time: from its NTFS times block (0x000A, in 100 ns steps), else
// from its extended time block (0x5455, in seconds); none when it has neither.
std::optional<TZipUnixTime> ExactModifiedTime(const TZipExtraFields& extra);

}  // namespace talu::zip

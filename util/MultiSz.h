// The machine-wide list of pending file operations as REG_MULTI_SZ data: pairs of zero-
// terminated strings (source, target), one pair per operation; a deletion has an empty target.
// The platform stores sources as "\??\" followed by the full path.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace talu {

// The buffer the pending-operations value is read into: 26,101 UTF-16 units (52,202 bytes),
// the largest value a withdrawal handles.
using TMulti_SZ = std::array<char16_t, 26101>;

// Splits the buffer into list entries and appends them to `StrArr` (not cleared first).
// A string followed by an empty string becomes one entry with one zero unit appended (a
// deletion stays one entry); any other string is an entry by itself. Reads nothing past the
// buffer's end. Returns the number of entries appended.
int ExtractREG_MULTI_SZ(const TMulti_SZ& Multi_SZ, std::vector<std::u16string>& StrArr);

// The index of the first deletion entry whose path, after an optional "\??\" prefix, equals
// `path` with letter case ignored. Rename pairs (a source entry and its target entry) are never
// candidates, so a withdrawal cannot split one.
std::optional<size_t> FindPendingDeletion(const std::vector<std::u16string>& entries,
                                          const std::u16string& path);

// The entries, each followed by one zero unit, as one text.
std::u16string JoinEntries(const std::vector<std::u16string>& entries);

}  // namespace talu

// The machine-wide list of pending file operations as REG_MULTI_SZ data: pairs of zero-
// terminated strings (source, target), one pair per operation; a deletion has an empty target.
// The platform stores sources as "\??\" followed by the full path.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talu {

// Splits the value's units into list entries and appends them to `StrArr` (not cleared first).
// A string followed by an empty string becomes one entry with one zero unit appended (a
// deletion stays one entry); any other string is an entry by itself. Reads nothing past the
// end of `Multi_SZ`. Returns the number of entries appended.
int ExtractREG_MULTI_SZ(std::u16string_view Multi_SZ, std::vector<std::u16string>& StrArr);

// The index of the first deletion entry whose path, after an optional "\??\" prefix, equals
// `path` with letter case ignored. Rename pairs (a source entry and its target entry) are never
// candidates, so a withdrawal cannot split one.
std::optional<size_t> FindPendingDeletion(const std::vector<std::u16string>& entries,
                                          const std::u16string& path);

// The entries, each followed by one zero unit, as one text.
std::u16string JoinEntries(const std::vector<std::u16string>& entries);

}  // namespace talu

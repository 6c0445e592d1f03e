// Where the records of a well-formed archive lie: the byte ranges of every local header, data
// descriptor, central header, Zip64 end record, Zip64 locator and end record, each with its
// name, extra field and comment. Damage sweeps change and cut the archive around them.
#pragma once

#include <cstddef>
#include <vector>

#include "ArchiveBuilder.h"

namespace talu::zip::test {

struct ByteSpan {
  std::size_t begin;
  std::size_t end;  // one past the last byte
};

// The records in stream order; std::runtime_error when `archive` is not a well-formed archive
// (its end record last, without a comment; a stub in front is allowed).
std::vector<ByteSpan> MapRecords(const Bytes& archive);

}  // namespace talu::zip::test

// Raw deflate data inflated on several threads. The data are split at guessed offsets; helper
// threads find a block start past each guess and decode the part from there (TZipPartInflate,
// back-references before the part kept as markers), while the caller's thread decodes the
// first part, then resolves each next part from the 32 KiB before it, in order. A part is taken
// only where the one before ends exactly where it starts; otherwise the one before decodes on
// through it. Damaged data end the parallel decode: the single-stream inflater then runs the
// data again and only the bytes not yet delivered pass on, so the bytes and the outcome are
// its own, whatever the damage.
//
// Memory: the parts in flight (one per helper, plus one) and the caller's part each hold
// 2 * (32 KiB + partSymbols) bytes of output and about 150 KiB of tables, window and byte map:
// 2.2 MiB each with the defaults, 8.8 MiB in all with two helpers.
//
// Usage: status = ZipSplitInflate(data, size, single, options, sink);
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "ZipRawInflate.h"

namespace talu::zip {

struct TZipSplitOptions {
  std::size_t partSymbols = std::size_t{1} << 20;  // output a part holds before it waits
  std::size_t searchBytes = 96 << 10;   // how far past a guess a block start is looked for
  std::size_t minPartBytes = 64 << 10;  // bounds of the guessed compressed size of a part
  std::size_t maxPartBytes = 8 << 20;
  int helpers = -1;  // helper threads; -1: one per core
};

// Receives the output in order, in pieces.
using TZipSplitSink = std::function<void(const std::uint8_t* data, std::size_t size)>;

// Inflates `data`, which holds the whole deflate stream (and maybe bytes after it), into
// `sink`: kStreamEnd, kCorrupt, or kMore where the data end inside the stream, each with the
// bytes `single` (in any state: it is reset when used) gives before it. Passes on exceptions of
// the sink.
TZipInflateCall::TStatus ZipSplitInflate(const std::uint8_t* data, std::size_t size,
                                         TZipRawInflate& single, const TZipSplitOptions& options,
                                         const TZipSplitSink& sink);

}  // namespace talu::zip

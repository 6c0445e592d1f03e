// Raw deflate data inflated on several threads. The data are read in segments, in order, on the
// caller's thread; each segment is split at guessed offsets, helper threads find a block start
// past each guess and decode the part from there (TZipPartInflate, back-references before the
// part kept as markers), while the caller's thread decodes the first part, then resolves each
// next part from the 32 KiB before it, in order. A part is taken only where the one before ends
// exactly where it starts; otherwise the one before decodes on through it. A part passed over
// has its bytes made on a helper too, so that the caller's thread makes only the last 32 KiB of
// each part, as the window of the next, and passes the bytes on. The next segment
// starts at the first block boundary of the last part past its end. Damaged or cut-short data end
// the parallel decode: zlib's inflater then goes on from the start of the block the damage lies
// in, with the 32 KiB before it (or, where part of that block has passed on already, runs the
// data again from the start and passes on only the bytes not yet delivered), so the bytes and the
// outcome are the single-stream inflater's own, whatever the damage.
//
// Memory: a segment (segmentBytes); the parts in flight (one per helper, plus one), the caller's
// part and the parts passed over but not passed on yet (one per helper, plus one), each with
// 2 * (32 KiB + partSymbols) bytes of output and about 150 KiB of tables, window and byte map
// (2.2 MiB each with the defaults), the last ones also with their bytes (1 MiB). With the
// defaults: 15.6 MiB (the segment's 8 MiB and three parts), and 6.4 MiB per helper (two parts, the
// bytes of one, 1 MiB more of segment).
//
// Usage: end = ZipSplitInflate(source, size, options, sink);
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "ZipRawInflate.h"
#include "stream/ZipStream.h"

namespace talu::zip {

struct TZipSplitOptions {
  std::size_t partSymbols = std::size_t{1} << 20;  // output a part holds before it waits
  std::size_t searchBytes = 96 << 10;   // how far past a guess a block start is looked for
  std::size_t minPartBytes = 64 << 10;  // bounds of the guessed compressed size of a part
  std::size_t maxPartBytes = 8 << 20;
  std::size_t segmentBytes =
      0;             // data held at once (16 KiB or more); 0: 8 MiB, and 1 MiB more per helper
  int helpers = -1;  // helper threads; -1: one per core
};

// Receives the output in order, in pieces; false stops the decode there.
using TZipSplitSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

enum class TZipSplitEnd {
  kStreamEnd,   // the deflate stream ended
  kCorrupt,     // the data are damaged
  kCut,         // the data end inside the stream
  kStopped,     // the sink stopped the decode
  kShortSource  // the source gave fewer than `size` bytes
};

// Inflates the `size` bytes of `source` from its position, which hold the whole deflate stream
// (and maybe bytes after it), into `sink`, with the bytes the single-stream inflaters give before
// the same end. Reads the source on the caller's thread only, and leaves it anywhere. Passes on
// exceptions of the source and the sink.
TZipSplitEnd ZipSplitInflate(TStream& source, std::uint64_t size, const TZipSplitOptions& options,
                             const TZipSplitSink& sink);

// The helpers ZipSplitInflate starts with `options`.
int ZipSplitHelpers(const TZipSplitOptions& options);

// The options the deflate data of an item of `compressedSize` bytes are split with, or null where
// they are inflated as one stream: items of 8 MiB of data or more, on machines of 4 cores or more
// (on fewer, one stream on ISA-L's inflater is faster), unless a test has chosen options for
// every item of the process (ZipUseSplitInflate; ZipUseSplitByDefault goes back).
const TZipSplitOptions* ZipSplitOptionsFor(std::int64_t compressedSize);
void ZipUseSplitInflate(const TZipSplitOptions& options);
void ZipUseSplitByDefault();

}  // namespace talu::zip

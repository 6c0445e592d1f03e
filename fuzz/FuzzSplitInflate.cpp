// Inflates the raw deflate data that follow the first input byte on several threads and
// through the single-stream inflaters of the build: the outcome and the bytes (their size and
// CRC-32) must be the same. The first byte sizes the parts (bits 0-1: the output a part holds,
// bits 2-3: how far a block start is looked for, bits 4-5: the guessed part size, bit 6: one
// helper or two, bit 7: segments of 16 KiB), small enough that inputs of a few KiB cross several
// parts.
#include <cstdint>
#include <cstdlib>

#include "InflateDigest.h"
#include "decode/ZipSplitInflate.h"
#include "stream/ZipMemoryStreams.h"

using namespace talu::zip;
using namespace talu::zip::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t shape = data[0];
  TZipSplitOptions options;
  options.partSymbols = std::size_t{300} << (2 * (shape & 3));
  options.searchBytes = std::size_t{64} << (2 * ((shape >> 2) & 3));
  options.minPartBytes = std::size_t{16} << (2 * ((shape >> 4) & 3));
  options.helpers = 1 + ((shape >> 6) & 1);
  if (shape & 0x80) options.segmentBytes = 16 << 10;
  TDigest split;
  TBufferStream source(const_cast<std::uint8_t*>(data + 1), static_cast<std::int64_t>(size - 1));
  static const TZipInflateCall::TStatus kStatus[] = {
      TZipInflateCall::kStreamEnd, TZipInflateCall::kCorrupt, TZipInflateCall::kMore};
  const TZipSplitEnd end = ZipSplitInflate(source, size - 1, options,
                                           [&split](const std::uint8_t* bytes, std::size_t count) {
                                             split.Add(bytes, count);
                                             return true;
                                           });
  if (end >= TZipSplitEnd::kStopped) std::abort();
  split.status = kStatus[static_cast<int>(end)];
  for (TZipInflaterKind kind : {TZipInflaterKind::kZlib, TZipInflaterKind::kIsal}) {
    if (!ZipInflaterBuiltIn(kind)) continue;
    auto inflate = ZipMakeRawInflate(kind);
    if (!(SingleStream(data + 1, size - 1, size, *inflate) == split)) std::abort();
  }
  return 0;
}

// Inflates the raw deflate data that follow the first input byte on several threads and
// through the single-stream inflaters of the build: the outcome and the bytes (their size and
// CRC-32) must be the same. The first byte sizes the parts (bits 0-1: the output a part holds,
// bits 2-3: how far a block start is looked for, bits 4-5: the guessed part size, bit 6: one
// helper or two), small enough that inputs of a few KiB cross several parts.
#include <cstdint>
#include <cstdlib>

#include "InflateDigest.h"
#include "decode/ZipSplitInflate.h"

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
  for (TZipInflaterKind kind : {TZipInflaterKind::kZlib, TZipInflaterKind::kIsal}) {
    if (!ZipInflaterBuiltIn(kind)) continue;
    auto inflate = ZipMakeRawInflate(kind);
    const TDigest single = SingleStream(data + 1, size - 1, size, *inflate);
    TDigest split;
    split.status = ZipSplitInflate(
        data + 1, size - 1, *inflate, options,
        [&split](const std::uint8_t* bytes, std::size_t count) { split.Add(bytes, count); });
    if (!(split == single)) std::abort();
  }
  return 0;
}

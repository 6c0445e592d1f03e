// Inflates the raw deflate data that follow the first input byte through both single-stream
// inflaters of the build: the outcome and the bytes (their size and CRC-32) must be the same.
// The first byte gives the data in pieces (of 1 + 11 * its low six bits bytes) where its top
// bit is set, else whole.
#include <cstdint>
#include <cstdlib>

#include "InflateDigest.h"

using namespace talu::zip;
using namespace talu::zip::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || !ZipInflaterBuiltIn(TZipInflaterKind::kIsal)) return 0;
  const std::size_t piece =
      data[0] & 0x80 ? 1 + static_cast<std::size_t>(data[0] & 0x3F) * 11 : size;
  auto zlib = ZipMakeRawInflate(TZipInflaterKind::kZlib);
  auto isal = ZipMakeRawInflate(TZipInflaterKind::kIsal);
  if (!(SingleStream(data + 1, size - 1, piece, *zlib) ==
        SingleStream(data + 1, size - 1, piece, *isal)))
    std::abort();
  return 0;
}

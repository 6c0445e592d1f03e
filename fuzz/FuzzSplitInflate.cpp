// Inflates the raw deflate data that follow the first input byte on several threads and
// through the single-stream inflaters of the build: the outcome and the bytes (their size and
// CRC-32) must be the same, for each inflater and between the two. The first byte sizes the
// parts (bits 0-1: the output a part holds, bits 2-3: how far a block start is looked for,
// bits 4-5: the guessed part size, bit 6: one helper or two), small enough that inputs of a few
// KiB cross several parts; bit 7 gives the single-stream inflaters their input in pieces of up
// to 694 bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "decode/ZipCrc32.h"
#include "decode/ZipSplitInflate.h"

using namespace talu::zip;

namespace {

struct TDigest {
  TZipInflateCall::TStatus status = TZipInflateCall::kMore;
  std::uint64_t size = 0;
  std::uint32_t crc = 0xFFFFFFFFu;
  void Add(const std::uint8_t* data, std::size_t count) {
    crc = CRC32(crc, data, count);
    size += count;
  }
  bool operator==(const TDigest& other) const {
    return status == other.status && size == other.size && crc == other.crc;
  }
};

TDigest SingleStream(const std::uint8_t* data, std::size_t size, std::size_t piece,
                     TZipRawInflate& inflate) {
  static std::uint8_t block[1 << 16];
  TDigest digest;
  inflate.Reset();
  for (std::size_t given = 0;;) {
    const std::size_t take = std::min(piece, size - given);
    given += take;
    inflate.SetInput(data + given - take, static_cast<std::uint32_t>(take), given == size);
    for (;;) {
      const TZipInflateCall call = inflate.Inflate(block, sizeof block);
      digest.Add(block, call.produced);
      digest.status = call.status;
      if (call.status != TZipInflateCall::kMore || (given == size && call.produced == 0))
        return digest;
      if (call.produced < sizeof block && inflate.InputLeft() == 0) break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t shape = data[0];
  TZipSplitOptions options;
  options.partSymbols = std::size_t{300} << (2 * (shape & 3));
  options.searchBytes = std::size_t{64} << (2 * ((shape >> 2) & 3));
  options.minPartBytes = std::size_t{16} << (2 * ((shape >> 4) & 3));
  options.helpers = 1 + ((shape >> 6) & 1);
  const std::size_t piece = shape & 0x80 ? 1 + static_cast<std::size_t>(shape & 0x3F) * 11 : size;
  TDigest zlib;
  for (TZipInflaterKind kind : {TZipInflaterKind::kZlib, TZipInflaterKind::kIsal}) {
    if (!ZipInflaterBuiltIn(kind)) continue;
    auto inflate = ZipMakeRawInflate(kind);
    const TDigest single = SingleStream(data + 1, size - 1, piece, *inflate);
    if (kind == TZipInflaterKind::kZlib) zlib = single;
    if (!(single == zlib)) std::abort();
    TDigest split;
    split.status = ZipSplitInflate(
        data + 1, size - 1, *inflate, options,
        [&split](const std::uint8_t* bytes, std::size_t count) { split.Add(bytes, count); });
    if (!(split == single)) std::abort();
  }
  return 0;
}
